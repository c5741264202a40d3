#include "widgets/Utextlimit.h"

#include "platform/Codec.h"

#include <QLineEdit>

namespace {

std::size_t Bytes(const QString& text) { return platform::SjisLength(text.toStdString()); }

QString Cut(const QString& text, std::size_t limit)
{
    const std::string utf8 = text.toStdString();
    return QString::fromStdString(std::string(platform::SjisTruncate(utf8, limit)));
}

} // namespace

TTextLimitValidator::TTextLimitValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}

QValidator::State TTextLimitValidator::validate(QString& input, int& pos) const
{
    const auto limit = static_cast<std::size_t>(limit_);
    if (Bytes(input) <= limit) return Acceptable;
    // What was put in stands before the cursor: it gives way first.
    const QString after = input.mid(pos);
    const std::size_t afterBytes = Bytes(after);
    if (afterBytes <= limit) {
        const QString before = Cut(input.left(pos), limit - afterBytes);
        input = before + after;
        pos = static_cast<int>(before.size());
    } else {
        input = Cut(input, limit);
        pos = static_cast<int>(input.size());
    }
    return Acceptable;
}

void SetTextLimit(QLineEdit& edit, int limit)
{
    if (const auto* old = qobject_cast<const TTextLimitValidator*>(edit.validator())) {
        edit.setValidator(nullptr);
        delete old;
    }
    if (limit > 0) edit.setValidator(new TTextLimitValidator(limit, &edit));
}
