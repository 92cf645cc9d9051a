// The windows made at start-up, as the main window and the list commands reach one another.
#pragma once

namespace velt::ui {

class TForm1;
class Tveltoptions;
class TForm3;
class TForm7;
class Trencdir;
class Tdencdir;
class Tsearch;
class TDrag;
class Tshellenc;
class Tshelldec;

// The windows made at start-up, in their creation order; the main window reaches the others
// through this.
struct Windows {
  TForm1* Form1 = nullptr;
  Tveltoptions* veltoptions = nullptr;
  TForm3* Form3 = nullptr;
  Trencdir* rencdir = nullptr;
  Tdencdir* dencdir = nullptr;
  Tsearch* search = nullptr;
  TForm7* Form7 = nullptr;
  TDrag* Drag = nullptr;
  Tshellenc* shellenc = nullptr;
  Tshelldec* shelldec = nullptr;
};

}  // namespace velt::ui
