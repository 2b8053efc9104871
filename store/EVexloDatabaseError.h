#pragma once

#include <QString>

#include <stdexcept>

// The error that the store and its engine layer raise: a message text meant for the user. The GUI
// shows what() (UTF-8) or Message() in a message box.
class EVexloDatabaseError : public std::runtime_error
{
public:
    explicit EVexloDatabaseError(const QString& Message)
        : std::runtime_error(Message.toStdString()), FMessage(Message)
    {}

    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};
