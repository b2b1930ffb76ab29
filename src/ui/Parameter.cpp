#include "Parameter.h"

#include "MessageBoxes.h"
#include "TwipScale.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int ClientWidthTwips = 5115;
constexpr int ClientHeightTwips = 3600;

struct Mode {
    QString title;
    std::array<QString, 3> labels;
};

Mode modeOf(RegistrationEntry::Kind kind)
{
    if (kind == RegistrationEntry::Kind::Facility)
        return {QStringLiteral("施設追加"),
                {QStringLiteral("施設コード(4桁)"), QStringLiteral("内訳コード(2桁)"),
                 QStringLiteral("名称(32桁迄)")}};
    return {QStringLiteral("メンバー追加"),
            {QStringLiteral("名前(32桁迄)"), QStringLiteral("利用者登録番号(8桁)"),
             QStringLiteral("暗証番号(4桁)")}};
}

// The label boxes are as narrow as the twip layout makes them; a caption too wide for its
// box is drawn smaller rather than cut off.
void setCaptionFitting(QLabel* label, const QString& caption)
{
    constexpr qreal SmallestPointSize = 6.0;
    QFont font = label->parentWidget()->font();
    while (QFontMetrics(font).horizontalAdvance(caption) > label->width() &&
           font.pointSizeF() > SmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
    label->setText(caption);
}

QPushButton* makeButton(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    // No button answers Enter on the editor's behalf: Enter in the list or a field must not
    // add an entry (or report the empty fields) unasked.
    button->setAutoDefault(false);
    return button;
}

} // namespace

Parameter::Parameter(Kind kind, RegistrationLists& lists, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_kind(kind), m_fieldLimits(RegistrationEntry::limitsOf(kind)), m_lists(lists), m_boxes(boxes)
{
    setObjectName(QStringLiteral("Parameter"));
    setWindowTitle(modeOf(kind).title);
    setModal(true);
    createControls();
    placeControls();
    chainTabOrder();
    connectControls();
}

Parameter::~Parameter() = default;

void Parameter::createControls()
{
    m_entryList = new QListWidget(this);
    m_entryList->setObjectName(QStringLiteral("List1"));
    m_entryList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_entryList->setSortingEnabled(false);
    m_addButton = makeButton(QStringLiteral("add"), QStringLiteral("追加"), this);
    m_closeButton = makeButton(QStringLiteral("close"), QStringLiteral("閉じる"), this);
    m_removeButton = makeButton(QStringLiteral("del"), QStringLiteral("要素削除"), this);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        m_fieldLabels[i] = new QLabel(this);
        m_fieldLabels[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        m_fieldLabels[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_applyButton = makeButton(QStringLiteral("Copy"), QStringLiteral("登録"), this);
}

void Parameter::placeControls()
{
    const TwipScale scale(logicalDpiX());
    setFixedSize(scale.toPixels(QRect(0, 0, ClientWidthTwips, ClientHeightTwips)).size());
    m_entryList->setGeometry(scale.toPixels(QRect(120, 1680, 4815, 1320)));
    m_addButton->setGeometry(scale.toPixels(QRect(3720, 240, 1215, 375)));
    m_closeButton->setGeometry(scale.toPixels(QRect(3720, 3120, 1215, 375)));
    m_removeButton->setGeometry(scale.toPixels(QRect(3720, 1200, 1215, 375)));
    const std::array<int, 3> rowTops{240, 720, 1200};
    const Mode mode = modeOf(m_kind);
    for (std::size_t i = 0; i < rowTops.size(); ++i) {
        m_fields[i]->setGeometry(scale.toPixels(QRect(1680, rowTops[i], 1815, 270)));
        m_fieldLabels[i]->setGeometry(scale.toPixels(QRect(120, rowTops[i], 1455, 375)));
        setCaptionFitting(m_fieldLabels[i], mode.labels[i]);
    }
    m_applyButton->setGeometry(scale.toPixels(QRect(2400, 3120, 1215, 375)));
}

void Parameter::chainTabOrder()
{
    const QList<QWidget*> order{m_entryList, m_addButton, m_closeButton, m_removeButton,
                                m_fields[0], m_fields[1], m_fields[2],   m_applyButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Parameter::connectControls()
{
    connect(m_addButton, &QPushButton::clicked, this, &Parameter::add);
    connect(m_removeButton, &QPushButton::clicked, this, &Parameter::removeSelected);
    connect(m_applyButton, &QPushButton::clicked, this, &Parameter::apply);
    connect(m_closeButton, &QPushButton::clicked, this, &Parameter::reject);
    connect(m_entryList, &QListWidget::itemDoubleClicked, this, &Parameter::loadLowestSelected);
}

void Parameter::showEvent(QShowEvent* event)
{
    // A spontaneous show is the window system restoring the window, not a new opening.
    if (!event->spontaneous())
        loadCopy();
    QDialog::showEvent(event);
}

// Each opening starts afresh from the main window's current list, so nothing of an earlier
// opening of the same window (list, fields, flag) is carried over or doubled.
void Parameter::loadCopy()
{
    m_entryList->clear();
    m_entryList->addItems(m_lists.registrationList(m_kind));
    for (QLineEdit* field : m_fields)
        field->clear();
    m_listChanged = false;
    m_entryList->setFocus();
}

RegistrationEntry::Fields Parameter::fieldTexts() const
{
    return {m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text()};
}

QStringList Parameter::listItems() const
{
    QStringList items;
    items.reserve(m_entryList->count());
    for (int row = 0; row < m_entryList->count(); ++row)
        items.append(m_entryList->item(row)->text());
    return items;
}

void Parameter::add()
{
    const RegistrationEntry::Fields fields = fieldTexts();
    const auto failure =
        RegistrationEntry::checkAddition(fields, m_fieldLimits, m_entryList->count());
    if (failure) {
        m_boxes.show(this, QStringLiteral("追加確認"), failure->message, MessageBoxes::Buttons::Ok);
        QLineEdit* failingField = m_fields.at(std::size_t(failure->field));
        failingField->setFocus();
        failingField->selectAll();
        return;
    }
    m_entryList->addItem(RegistrationEntry::compose(fields));
    m_listChanged = true;
}

void Parameter::removeSelected()
{
    // From the last to the first, so that removing an item moves none still to be visited.
    for (int row = m_entryList->count() - 1; row >= 0; --row) {
        if (m_entryList->item(row)->isSelected()) {
            delete m_entryList->takeItem(row);
            m_listChanged = true;
        }
    }
}

void Parameter::loadLowestSelected()
{
    for (int row = 0; row < m_entryList->count(); ++row) {
        if (!m_entryList->item(row)->isSelected())
            continue;
        const RegistrationEntry::Fields fields =
            RegistrationEntry::split(m_entryList->item(row)->text(), m_fieldLimits);
        for (std::size_t i = fields.size(); i-- > 0;)
            m_fields[i]->setText(fields[i]);
        return;
    }
}

void Parameter::apply()
{
    m_lists.replaceRegistrationList(m_kind, listItems());
    m_listChanged = false;
    accept();
}

bool Parameter::mayClose()
{
    if (!m_listChanged)
        return true;
    return m_boxes.show(this, QStringLiteral("終了確認"), QStringLiteral("変更を破棄しますか？"),
                        MessageBoxes::Buttons::OkCancel) == MessageBoxes::Answer::Ok;
}

void Parameter::done(int result)
{
    if (mayClose())
        QDialog::done(result);
}
