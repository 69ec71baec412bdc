#pragma once
#include <QString>
#include <stdexcept>

namespace folha {

// An error of the table engine or of a stored value, with the text the user
// is shown.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace folha
