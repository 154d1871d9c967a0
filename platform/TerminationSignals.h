#pragma once
// Turns the system's requests to end the program (SIGTERM at shutdown,
// SIGHUP when the terminal goes, SIGINT from Ctrl+C) into a Qt signal on
// the user-interface thread, so the program can close in order and keep
// the user's settings instead of dying mid-write.

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One instance per process; a second one does not install anything.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool Installed() const { return m_notifier != nullptr; }

signals:
    // The number of the signal received.
    void Requested(int signalNumber);

private:
    void Receive();
    QSocketNotifier* m_notifier = nullptr;
};
