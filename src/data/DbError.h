#pragma once
#include <QString>
#include <stdexcept>

namespace data {

// A refusal from the database (or from the data layer on its behalf). `text()` is the database's own
// words, shown to the user as they stand.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

}  // namespace data
