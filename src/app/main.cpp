#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvik"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    QWidget placeholder;
    placeholder.setWindowTitle(QStringLiteral("オルベンスポーツ施設予約"));
    placeholder.show();
    return app.exec();
}
