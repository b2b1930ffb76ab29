#include "QtMessageBoxes.h"

#include <QMessageBox>

namespace {

struct ButtonSet {
    QMessageBox::StandardButtons all;
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton escape;
};

ButtonSet buttonSet(MessageBoxes::Buttons buttons)
{
    switch (buttons) {
    case MessageBoxes::Buttons::Ok:
        return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    case MessageBoxes::Buttons::OkCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
    case MessageBoxes::Buttons::YesNo:
        // No Cancel in the set: Escape answers No, which never does anything irreversible.
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
    case MessageBoxes::Buttons::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                QMessageBox::Cancel};
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

MessageBoxes::Answer toAnswer(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return MessageBoxes::Answer::Ok;
    case QMessageBox::Yes:
        return MessageBoxes::Answer::Yes;
    case QMessageBox::No:
        return MessageBoxes::Answer::No;
    default:
        return MessageBoxes::Answer::Cancel;
    }
}

} // namespace

MessageBoxes::Answer QtMessageBoxes::show(QWidget* parent, const QString& title,
                                          const QString& text, Buttons buttons)
{
    const ButtonSet set = buttonSet(buttons);
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setStandardButtons(set.all);
    box.setDefaultButton(set.first);
    box.setEscapeButton(set.escape);
    box.setWindowModality(Qt::ApplicationModal);
    return toAnswer(box.exec());
}
