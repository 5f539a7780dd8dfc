// Walks a window's accessibility tree (what a screen reader and desktop
// automation see) and lists every interactive control that has no name.
// Header-only so any Qt test can use it:
//     EXPECT_EQ(ravelin::test::unnamedControls(window), std::vector<std::string>());
//
// Interactive: buttons, check and option buttons, text boxes, lists, trees,
// tables, drop-downs, spin boxes, sliders, scroll bars and page tabs. The
// walk does not enter an interactive control (its items are its own
// business), skips what is invisible, and skips Qt's own inner parts (the
// scroll bars of a scroll area and the like, named "qt_...").
#pragma once

#include <QAccessible>
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

namespace ravelin::test {

inline bool isInteractiveRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonDropDown:
    case QAccessible::ButtonMenu:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::ScrollBar:
    case QAccessible::PageTab:
    case QAccessible::Link: return true;
    default: return false;
    }
}

inline bool isQtInnerPart(QObject* object)
{
    for (QObject* o = object; o; o = o->parent()) {
        if (o->objectName().startsWith("qt_"))
            return true;
        if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            break;
    }
    return false;
}

// Calls `visit` on each visible interactive control below `node`, without
// entering one (its items are its own business).
template <typename Visit>
void forEachInteractive(QAccessibleInterface* node, const Visit& visit, int depth = 0)
{
    if (!node || !node->isValid() || depth > 64)
        return;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || !child->isValid() || child->state().invisible || isQtInnerPart(child->object()))
            continue;
        if (isInteractiveRole(child->role()))
            visit(child);
        else
            forEachInteractive(child, visit, depth + 1);
    }
}

// The interactive controls of `window` without an accessible name.
inline std::vector<std::string> unnamedControls(QWidget* window)
{
    std::vector<std::string> unnamed;
    forEachInteractive(QAccessible::queryAccessibleInterface(window), [&](QAccessibleInterface* child) {
        if (!child->text(QAccessible::Name).trimmed().isEmpty())
            return;
        const QObject* o = child->object();
        unnamed.push_back(QStringLiteral("%1 (%2, role 0x%3)")
                              .arg(o ? o->objectName() : QStringLiteral("?"),
                                   o ? QString::fromLatin1(o->metaObject()->className()) : QStringLiteral("?"))
                              .arg(int(child->role()), 0, 16)
                              .toStdString());
    });
    return unnamed;
}

// How many interactive controls the walk reached (so a test can tell that
// it looked at something).
inline int interactiveControls(QAccessibleInterface* node)
{
    int count = 0;
    forEachInteractive(node, [&](QAccessibleInterface*) { ++count; });
    return count;
}

} // namespace ravelin::test
