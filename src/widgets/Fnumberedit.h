#pragma once
// An input field for numbers stored as scaled integers: 1250 with scale 100 shows "12.5" (and a
// unit text after it while the field is not being edited) and typing "12.5" stores 1250.
#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;

class TNumberEdit : public QWidget {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget* owner = nullptr);
    ~TNumberEdit() override;

    int GetValue() const { return value_; }
    // Stores and shows a different value, then DoChange.
    virtual void SetValue(int value);
    // Stores and shows the value without an event.
    virtual void SetValueQuiet(int value);

    int GetScale() const { return scale_; }
    // 0 raises platform::Error("0は指定できません") and changes nothing.
    void SetScale(int scale);
    const std::string& GetPrefix() const { return prefix_; }
    void SetPrefix(const std::string& prefix);
    const std::string& GetSuffix() const { return suffix_; }
    void SetSuffix(const std::string& suffix);

    QLineEdit* GetEdit() const { return edit_; }

    // The number in a typed text: digits, a leading sign and one "."; a second "." ends the
    // number and everything else is dropped ("12,5 mm" reads 125). No digits read 0.
    static double ParseText(const std::string& text);
    // trunc(ParseText(text) × scale), computed from the decimal digits exactly and kept within
    // the range of int.
    static int ParseScaled(const std::string& text, int scale);

    std::function<void(QObject* sender)> OnChange;

protected:
    virtual void DoChange();
    // Shows the value: the plain number while the field is edited, else prefix + number + suffix.
    void RefreshText();
    // Leaving the field (or Enter): the typed number becomes the value.
    void EditExit();

    bool eventFilter(QObject* watched, QEvent* event) override;

    int value_ = 0;

private:
    QLineEdit* edit_ = nullptr;
    int scale_ = 1;
    std::string prefix_;
    std::string suffix_;
};
