#include "mainwindow/FrmSetVar.h"

#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtWaitCursor.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ravelin {

namespace {

QLabel* addLabel(const char* text, int y, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(12, y, 110, 24);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(':'));
    return label;
}

} // namespace

FrmSetVar::FrmSetVar(SetVarForm& form, QWidget* owner) : QDialog(owner), m_form(form)
{
    setObjectName("frmSetVar");
    setWindowTitle("Set Variable");
    setModal(true);
    QtDialogs::markAsOurs(this);
    setFixedSize(420, 160);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    m_txtVar = new QLineEdit(this);
    m_txtVar->setObjectName("txtVar");
    m_txtVar->setFont(fixed);
    m_txtVar->setGeometry(126, 12, 282, 24);
    addLabel("Variable Name:", 12, m_txtVar, this);

    m_txtVal = new QLineEdit(this);
    m_txtVal->setObjectName("txtVal");
    m_txtVal->setFont(fixed);
    m_txtVal->setGeometry(126, 44, 282, 24);
    addLabel("New Value:", 44, m_txtVal, this);

    m_cboMode = new QComboBox(this);
    m_cboMode->setObjectName("cboMode");
    for (const char* mode : SetVarForm::kModes)
        m_cboMode->addItem(mode);
    m_cboMode->setGeometry(126, 76, 100, 24);
    addLabel("Set Mode:", 76, m_cboMode, this);

    auto button = [this](const char* name, const char* caption, int x) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setGeometry(x, 118, 94, 28);
        return b;
    };
    QPushButton* cmdGetCurVal = button("cmdGetCurVal", "&Get Current", 12);
    QPushButton* cmdDefault = button("cmdDefault", "Get &Default", 112);
    QPushButton* cmdApply = button("cmdApply", "&Apply", 214);
    QPushButton* cmdCancel = button("cmdCancel", "&Cancel", 314);
    connect(cmdGetCurVal, &QPushButton::clicked, this, [this] { getValue(true); });
    connect(cmdDefault, &QPushButton::clicked, this, [this] { getValue(false); });
    connect(cmdApply, &QPushButton::clicked, this, &FrmSetVar::cmdApply_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load: the plain Set mode, the row's name and value.
    m_cboMode->setCurrentIndex(SetVarForm::kDefaultMode);
    m_txtVar->setText(latin1(m_form.strName));
    m_txtVal->setText(latin1(m_form.strValue));
}

void FrmSetVar::cmdApply_Click()
{
    if (m_form.cmdApply_Click(latin1Bytes(m_cboMode->currentText()), latin1Bytes(m_txtVar->text()),
                              latin1Bytes(m_txtVal->text())))
        accept();
}

void FrmSetVar::getValue(bool current)
{
    QtWaitCursor hourglass;
    const std::string name = latin1Bytes(m_txtVar->text());
    auto value = current ? m_form.cmdGetCurVal_Click(name) : m_form.cmdDefault_Click(name);
    if (value)
        m_txtVal->setText(latin1(*value));
}

} // namespace ravelin
