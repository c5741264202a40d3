#pragma once
// Text limits of line edits, in code-page-932 bytes as platform::SjisLength counts them (the limits
// the stored tables define): typing stops at the limit and a paste or an input-method commit is
// cut there, on a character boundary. A text set longer than the limit shows cut.
#include <QValidator>

class QLineEdit;

class TTextLimitValidator : public QValidator {
    Q_OBJECT
public:
    TTextLimitValidator(int limit, QObject* parent);
    int GetLimit() const { return limit_; }
    State validate(QString& input, int& pos) const override;

private:
    int limit_;
};

// Holds `edit` to `limit` bytes; 0 takes the limit off.
void SetTextLimit(QLineEdit& edit, int limit);
