#pragma once
// A link that carries values rather than characters (a Signal K server).
// The serial links open it in place of the port whenever the device of the
// port number names it; the instrument and the autopilot side may share it.

#include <QString>

class MessageLink {
public:
    virtual ~MessageLink() = default;

    // Whether the device of this port number is such a link.
    virtual bool Claims(int port) const = 0;
    // input: the instrument side, else the autopilot side. False with the
    // reason when the device text is malformed.
    virtual bool Open(int port, bool input, QString& error) = 0;
    virtual void Close(bool input) = 0;
    virtual bool IsOpen(bool input) const = 0;
    // What keeps the instrument side from receiving now ("Reconnecting"),
    // "" when nothing does.
    virtual QString Condition() const = 0;
};
