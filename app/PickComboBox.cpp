#include "PickComboBox.hpp"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace quilvex {

PickComboBox::PickComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    connect(this, &QComboBox::activated, this, [this] {
        if (m_picking)
            emit picked();
    });
    // A long path shows whole where the box cuts it.
    connect(this, &QComboBox::editTextChanged, this, [this](const QString& text) {
        setToolTip(text);
        if (!hasFocus())
            lineEdit()->setCursorPosition(int(text.size()));
    });
}

void PickComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    lineEdit()->setCursorPosition(int(currentText().size()));
}

void PickComboBox::showPopup()
{
    emit aboutToOpen();
    QComboBox::showPopup();
}

void PickComboBox::hidePopup()
{
    QComboBox::hidePopup();
    // A choice in the opened list is reported right after the list closes,
    // within the same event; the flag lasts until the loop turns.
    m_picking = true;
    QTimer::singleShot(0, this, [this] { m_picking = false; });
}

void PickComboBox::keyPressEvent(QKeyEvent* event)
{
    const bool stepsThroughList =
        !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
         event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown);
    m_picking = stepsThroughList;
    QComboBox::keyPressEvent(event);
    m_picking = false;
}

void PickComboBox::wheelEvent(QWheelEvent* event)
{
    m_picking = true;
    QComboBox::wheelEvent(event);
    m_picking = false;
}

}  // namespace quilvex
