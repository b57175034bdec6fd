#pragma once

#include <QComboBox>

namespace quilvex {

// An editable list whose text is used exactly as it stands: typing never
// inserts, completes or rewrites, and picked() fires only when an item is
// chosen from the list (opened list, arrow keys or wheel on the closed box),
// never for Enter or focus leaving after typing, which QComboBox also
// reports as activated(). A text wider than the box shows its end, where
// device paths and tcp:// ports differ, whenever it is not being edited.
class PickComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit PickComboBox(QWidget* parent = nullptr);

    void showPopup() override;
    void hidePopup() override;

signals:
    void picked();
    void aboutToOpen();  // the list can be refreshed before it shows

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_picking = false;
};

}  // namespace quilvex
