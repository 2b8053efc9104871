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

// The data file was changed by another program (another copy of this one, the sqlite3 shell, a
// sync tool) after the table was read. Nothing was written; the table shows the file as it is now.
class EVexloChangedError : public EVexloDatabaseError
{
public:
    using EVexloDatabaseError::EVexloDatabaseError;
};

// The file at the data file's path is no longer the file that was opened: it was deleted, moved
// away or replaced. Nothing was written to either file.
class EVexloFileChangedError : public EVexloDatabaseError
{
public:
    using EVexloDatabaseError::EVexloDatabaseError;
};
