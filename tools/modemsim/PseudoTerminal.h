#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The master side of a POSIX pseudo-terminal whose slave stands in for a modem's serial port.
// It holds a slave descriptor of its own, so the program may open and close the port as often
// as it likes without the master seeing a hang-up.
class PseudoTerminal : public QObject {
    Q_OBJECT
public:
    explicit PseudoTerminal(QObject* parent = nullptr);
    ~PseudoTerminal() override;

    bool open(QString* error);
    // Also offers the slave under a fixed name; the link goes when the terminal closes.
    bool link(const QString& linkPath, QString* error);
    void close();

    QString slavePath() const { return m_slavePath; }
    QByteArray readAll();
    // Answers written but not yet read by the program.
    int unreadByProgram() const;
    // Bytes that do not fit while nobody reads the port are dropped, as on a serial line.
    void write(const QByteArray& bytes);

Q_SIGNALS:
    void readyRead();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QSocketNotifier* m_notifier = nullptr;
};
