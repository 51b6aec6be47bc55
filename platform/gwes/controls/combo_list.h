// The list of a combo box ("ComboLBox"): a list box the combo fills and reads with list box
// messages. A drop-down combo's list is a top-most popup that opens under the combo, or above it
// when the screen ends first, and holds the stylus while it is open: the stylus highlights the row
// under it, a release on a row picks it and a press outside closes the list unchanged. F4 opens and
// closes it (and with the extended interface Down opens it); while it is open Enter picks the
// highlighted row and Escape closes it unchanged. A simple combo's list is a child under the field
// whose rows are picked by a release or a double tap. Used by the combo box only.
#pragma once

#include "platform/gwes/gwes_types.h"

namespace gwes {

// The list's part of a combo's state, kept in the combo's own state.
struct ComboListState {
  HWND list = nullptr;
  int droppedHeight = 0;  // field and list together, from the height the window was given
  int droppedWidth = 0;   // 0: as wide as the combo
  int selectionAtDrop = -1;
  bool dropped = false;
  bool extendedUI = false;
  bool openingPress = false;  // the press that opened the list has not come up yet
  bool listPressed = false;   // the stylus went down on the list
};

constexpr WPARAM kKeyF4 = 0x73;  // VK_F4 opens and closes the list

// Registers "ComboLBox" (the list box class included); fails harmlessly when it exists.
void RegisterComboListClass();

// Makes a combo's list with the given list box styles: a hidden top-most popup for a drop-down
// combo, a visible child with id kComboListId for a simple one. Null when it cannot.
HWND CreateComboList(HWND combo, DWORD listStyle, int width, int height);

// Where the drop-down list goes, in screen coordinates: under the combo, or above it when the
// screen ends first; at least one row tall and as tall as the rows need, up to the given height.
RECT DroppedListRect(HWND combo);

// Opens a drop-down combo's list after CBN_DROPDOWN; byPress: a press on the combo opened it.
void DropList(HWND combo, bool byPress);

// Closes an open list: CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP. A cancel puts back the
// selection the list opened with, so browsing the open list changes nothing.
void CloseList(HWND combo, bool ok);

// Moves an open list to where its rows now need it.
void PlaceList(HWND combo);

// Handles the keys that open, pick from or close the list; false for any other key.
bool ListKeyDown(HWND combo, WPARAM vk);

// Supplied by the combo box for its list:
// The combo's state, null once the combo is gone.
ComboListState* ComboListStateOf(HWND combo);
// The user chose a row: it becomes the selection and an open list closes.
void PickComboRow(HWND combo, int index);
// Gives the combo the focus unless it or its edit has it.
void FocusCombo(HWND combo);

}  // namespace gwes
