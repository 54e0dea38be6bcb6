#pragma once
// The windows' tables of skinned buttons: where each sits and its bitmaps.

#include <windows.h>

#include <initializer_list>

#include "client/controls/skin_button_win.h"

namespace tarvo {

struct SkinPlacement {
  CSkinButton* button;
  int id, x, y, width, height;
  UINT normal, pressed, hover;
  UINT disabled = 0;  // 0: the normal bitmap
};

// Attaches each button to its control, gives it its bitmaps and moves it
// (repainting), in the order given.
inline void PlaceSkinButtons(HWND dialog, std::initializer_list<SkinPlacement> placements) {
  for (const SkinPlacement& p : placements) {
    p.button->Attach(dialog, p.id);
    p.button->SetSkinBitmaps(p.normal, p.pressed, p.hover, p.disabled);
    MoveWindow(GetDlgItem(dialog, p.id), p.x, p.y, p.width, p.height, TRUE);
  }
}

}  // namespace tarvo
