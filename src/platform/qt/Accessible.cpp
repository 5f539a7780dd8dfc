#include "platform/qt/Accessible.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegularExpression>
#include <QWidget>

namespace ravelin::accessible {

namespace {

constexpr const char* kPictureRole = "ravelinPictureButtonRole";

class AccessiblePictureButton final : public QAccessibleWidget {
public:
    AccessiblePictureButton(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override
    {
        QString value = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && value.isEmpty())
            value = widget()->toolTip();
        return value;
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            clickInTheMiddle(widget());
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* pictureButtonFactory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const QVariant role = object->property(kPictureRole);
    if (!role.isValid())
        return nullptr;
    return new AccessiblePictureButton(static_cast<QWidget*>(object), QAccessible::Role(role.toInt()));
}

// A check box or option button whose actions click it, as a person does:
// the clicked signal (what the program's handlers listen to) follows.
class AccessibleClickingToggle final : public QAccessibleWidget {
public:
    AccessibleClickingToggle(QAbstractButton* button, QAccessible::Role role) : QAccessibleWidget(button, role) {}

    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        QString value = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && value.isEmpty())
            value = nameFromLabelText(button()->text());
        return value;
    }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.checkable = true;
        st.checked = button()->isChecked();
        return st;
    }

    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }

    void doAction(const QString& action) override
    {
        if (!button()->isEnabled())
            return;
        if (action == pressAction() || action == toggleAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* clickingToggleFactory(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<QCheckBox*>(object))
        return new AccessibleClickingToggle(box, QAccessible::CheckBox);
    if (auto* option = qobject_cast<QRadioButton*>(object))
        return new AccessibleClickingToggle(option, QAccessible::RadioButton);
    return nullptr;
}

// Space, Enter and Return press a focused picture button.
class KeyPress final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                clickInTheMiddle(static_cast<QWidget*>(watched));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void clickInTheMiddle(QWidget* widget)
{
    const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

QString nameFromLabelText(const QString& text)
{
    QString name = text;
    name.replace(QRegularExpression("&(.)"), "\\1");
    name = name.trimmed();
    while (name.endsWith(':'))
        name = name.chopped(1).trimmed();
    return name;
}

void nameAfterLabel(QWidget* control, QLabel* label)
{
    label->setBuddy(control);
    control->setAccessibleName(nameFromLabelText(label->text()));
}

void setToolTipAndName(QWidget* button, const QString& toolTip)
{
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
}

void makePictureButton(QWidget* picture, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureButtonFactory);
        return true;
    }();
    (void)installed;
    picture->setProperty(kPictureRole, int(role));
    picture->setFocusPolicy(Qt::StrongFocus);
    picture->installEventFilter(new KeyPress(picture));
}

void installClickingToggles()
{
    static const bool installed = [] {
        QAccessible::installFactory(clickingToggleFactory);
        return true;
    }();
    (void)installed;
}

void setFocusOrder(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace ravelin::accessible
