#pragma once
// TPrinterDropDown: the installed printers; picking one makes it the program's printer.
// TPrinterProperty: the printer drop-down with the paper set in the printer, its orientation and
// its own settings dialog. Both follow every change of the printer object, wherever made, through
// listeners withdrawn with the frame; without a usable printer their controls are disabled.
#include "widgets/Uprintersupport.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TCanvasDropDown;

class TPrinterDropDown : public QWidget {
    Q_OBJECT
public:
    explicit TPrinterDropDown(QWidget* parent = nullptr);

    QComboBox* GetDropDown() const { return DropDown; }

    // After the printer object changed.
    std::function<void(QObject* sender)> OnChange;

protected:
    void PrinterChanged();
    void DropDownChange(int index);

    QComboBox* DropDown = nullptr;

private:
    TPrnObjListener listener_;
};

class TPrinterProperty : public QWidget {
    Q_OBJECT
public:
    explicit TPrinterProperty(QWidget* parent = nullptr);

    TPrinterDropDown* GetPrinterDropDown() const { return PrinterDropDown; }
    TCanvasDropDown* GetCanvasDropDown() const { return CanvasDropDown; }

    void CanvasOrientationClick();
    void BtnShowPropertyClick();

protected:
    void PrinterChanged();

    TPrinterDropDown* PrinterDropDown = nullptr;
    QLabel* Label1 = nullptr;
    TCanvasDropDown* CanvasDropDown = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* CanvasVart = nullptr;
    QRadioButton* CanvasHorz = nullptr;
    QPushButton* BtnShowProperty = nullptr;

private:
    TPrnObjListener listener_;
    bool updating_ = false;
};
