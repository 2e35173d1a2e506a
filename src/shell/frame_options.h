#pragma once

#include <QStringList>

#include <QWidget>
#include <array>

#include "shell/vcl_timer.h"
#include "ui_frame_options.h"

class ColorSelect;
class IniFile;
class TForm1;

// The software settings page: serial link, display colours and pen, theme, language,
// power curve and report header texts, kept in SysSet.ini; and the USB link watchdog.
class TFrame_Options : public QWidget {
    Q_OBJECT
public:
    TFrame_Options(TForm1& form, QWidget* parent);

    void Updata_Options();
    void sButton1Click();
    void sButton2Click();
    void sButton3Click();
    void sComboBox1Click();
    void sComboBox2Change();
    void sComboBox4Change();
    // Returns false when the key must not reach the address field.
    bool sEdit1_KeyPress(QChar Key);
    void Timer1Timer();

    void fillThemeList(const QStringList& names);

    Ui::TFrame_Options ui;
    VclTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IniFile settings() const;
    std::array<ColorSelect*, 5> colorSelectors() const;
    void applySelectedPort(IniFile& file);
    void setAddressColor(bool valid);
    void reopenUsbPort();

    TForm1& form_;
};
