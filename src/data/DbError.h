#pragma once
#include <QString>
#include <stdexcept>

namespace folha {

// An error the user must read: a refusal or a failure with the text shown
// as it stands, in the system's Portuguese. Every front end catches this one
// class; the kinds below say only where it came from.
class UserError : public std::runtime_error {
public:
    explicit UserError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// An error of the table engine or of a stored value.
class DbError : public UserError {
public:
    using UserError::UserError;
};

} // namespace folha
