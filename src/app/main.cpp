#include "ExitSignals.h"
#include "QtMessageBoxes.h"
#include "ReserveForm.h"
#include "SerialPortOpener.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvik"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.tarvik.Tarvik"));

    QtMessageBoxes boxes;
    SerialPortOpener opener;
    ReserveForm window(boxes, opener);
    // The end of the desktop session, Ctrl+C or a closed terminal: hang up, then end.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &window,
                     &ReserveForm::leaveWithoutQuestions);
    window.show();
    return app.exec();
}
