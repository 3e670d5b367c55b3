#pragma once
// A popup menu whose items are chosen with the left button only, as the
// coach's menu is: another button on an item does nothing and leaves the
// menu open; pressed outside the menu it still closes it.

class QMenu;

namespace controls {

void chooseWithLeftButtonOnly(QMenu *menu);

} // namespace controls
