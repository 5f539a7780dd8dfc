// The "Set Variable" dialog: name, value and set mode of one cvar, with
// buttons that fetch its current or default value and one that sends the
// set command. The logic (which line is sent, which text is refused, the
// probe) lives in SetVarForm; this only owns the controls.
#pragma once

#include "config/SetVarForm.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ravelin {

class FrmSetVar final : public QDialog {
    Q_OBJECT
public:
    FrmSetVar(SetVarForm& form, QWidget* owner);

private:
    void cmdApply_Click();
    void getValue(bool current);

    SetVarForm& m_form;
    QLineEdit* m_txtVar = nullptr; // the cvar's name
    QLineEdit* m_txtVal = nullptr; // the cvar's value
    QComboBox* m_cboMode = nullptr;
};

} // namespace ravelin
