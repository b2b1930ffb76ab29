// Linked into a program for the start-up benchmark: the program quits as soon as its window
// has first painted, so that timing the whole process times its start to a shown window.

#include <QCoreApplication>
#include <QEvent>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window covered by its children gets no paint event of its own; whichever widget
        // paints first, the rest of the window paints in the same pass, before the queued quit.
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            qApp->removeEventFilter(this);
        }
        return false;
    }
};

// Runs as the application object is made, before main() shows anything.
void installFilter()
{
    qApp->installEventFilter(new QuitAfterFirstPaint(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installFilter)
