// The window-less model of a tab strip: the ordered items, the selected, hot and pressed item,
// the scroll offset, the navigate buttons (scroll left, scroll right, close) and the rows of the
// multi-row layout. A host derives from CTKTabManager and supplies the window, the painter,
// redrawing and what a changed selection means; measuring and drawing belong to the painter
// (CTKTabPaintManager).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "toolkit/drawing/theme_wrapper.h"

class CTKTabManager;
class CTKTabPaintManager;

// Everything a tab painter refreshes when one of its options changes.
class CTKTabManagerAtom {
 public:
  virtual void RefreshFromPainter() { Relayout(); }
  virtual ~CTKTabManagerAtom() = default;
  virtual void Relayout() {}
};

// Colours 0x1000000..0x1000007 of an item stand for a fixed table of eight.
constexpr COLORREF kTabItemColourFirst = 0x1000000;
constexpr int kTabItemColourCount = 8;

class CTKTabManagerItem : public CCmdTarget {
 public:
  explicit CTKTabManagerItem(CTKTabManager* manager) : manager_(manager) {}

  // Stores the flag; a change lays the strip out again.
  virtual void Show(bool visible);
  // Called once when the manager lets the item go (removal, clearing, destruction).
  virtual void OnRemoved() {}

  int Length() const { return length_; }
  void SetLength(int length) { length_ = length; }
  int DesiredLength() const { return desired_length_; }
  void SetDesiredLength(int length) { desired_length_ = length; }
  int Image() const { return image_; }
  void SetImage(int image) { image_ = image; }
  int Index() const { return index_; }
  void SetIndex(int index) { index_ = index; }
  bool IsEnabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool IsVisible() const { return visible_; }
  ULONG_PTR Data() const { return data_; }
  void SetData(ULONG_PTR data) { data_ = data; }
  int State() const { return state_; }
  void SetState(int state) { state_ = state; }
  const RECT& Rect() const { return rect_; }
  void SetRect(const RECT& rect) { rect_ = rect; }
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption) { caption_ = caption; }
  const std::wstring& Tooltip() const { return tooltip_; }
  void SetTooltip(const std::wstring& tooltip) { tooltip_ = tooltip; }
  COLORREF Colour() const { return colour_; }
  void SetColour(COLORREF colour) { colour_ = colour; }
  CTKTabManager* Manager() const { return manager_; }
  int Row() const { return row_; }
  void SetRow(int row) { row_ = row; }
  bool IsClosable() const { return closable_; }
  void SetClosable(bool closable) { closable_ = closable; }

 private:
  int length_ = 0;
  int desired_length_ = 0;
  int image_ = -1;
  int index_ = -1;
  bool enabled_ = true;
  bool visible_ = true;
  ULONG_PTR data_ = 0;
  int state_ = 0;
  int extra_ = 0;
  RECT rect_{};
  std::wstring caption_;
  std::wstring tooltip_;
  COLORREF colour_ = 0;
  CTKTabManager* manager_;
  int row_ = 0;
  bool closable_ = true;
  int last_ = 0;
};

// One of the three small buttons at the end of the strip.
class CTKTabManagerNavigateButton {
 public:
  enum Id { kLeft = 0, kRight = 1, kClose = 2 };
  enum ShowMode { kHidden = 0, kWhenNeeded = 1, kAlways = 2 };
  static constexpr int kWidth = 14;
  static constexpr int kHeight = 15;
  static constexpr DWORD kRepeatDelay = 20;

  CTKTabManagerNavigateButton(CTKTabManager* manager, int id, int show_mode, UINT tip_id);
  virtual ~CTKTabManagerNavigateButton() = default;
  CTKTabManagerNavigateButton(const CTKTabManagerNavigateButton&) = delete;
  CTKTabManagerNavigateButton& operator=(const CTKTabManagerNavigateButton&) = delete;

  // Takes the button's size off `length` when it is always shown.
  virtual void ReserveLength(int& length);
  // Holds the button down until the gesture ends; repeats while held (the arrows).
  virtual void PressLoop(HWND window, POINT point);
  // Places the button at the far end of `header` and takes its room off it, or hides it.
  virtual void PlaceInHeader(RECT& header);
  virtual void PaintGlyph(HDC dc, const RECT& rect) = 0;
  virtual void Fire(bool repeat) = 0;
  // Works out the enabled state from the manager.
  virtual void Relayout() {}

  // Called for every pointer movement over the strip.
  void TrackHot(HWND window, POINT point);
  void Paint(HDC dc);

  int GetId() const { return id_; }
  int ShowMode() const { return show_mode_; }
  void SetShowMode(int mode) { show_mode_ = mode; }
  const RECT& Rect() const { return rect_; }
  void Hide() { SetRectEmpty(&rect_); }
  bool IsEnabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool IsPressed() const { return pressed_; }
  bool IsHot() const { return hot_; }
  const std::wstring& Tooltip() const { return tooltip_; }
  void SetTooltip(const std::wstring& text) { tooltip_ = text; }
  CTKTabManager* Manager() const { return manager_; }

 protected:
  // The base placement: shown in mode 2, or in mode 1 while the manager wants the button.
  void PlaceByBaseRule(RECT& header);
  int SizeAlongStrip() const;

  int id_;
  int show_mode_;
  int width_ = kWidth;
  int height_ = kHeight;
  CTKTabManager* manager_;
  RECT rect_{};
  bool enabled_ = true;
  bool pressed_ = false;
  bool hot_ = false;
  std::wstring tooltip_;
};

class CTKTabManager : public CTKTabManagerAtom {
 public:
  static constexpr int kScrollStep = 20;

  class CNavigateButtonArrow : public CTKTabManagerNavigateButton {
   public:
    using CTKTabManagerNavigateButton::CTKTabManagerNavigateButton;
    void ReserveLength(int& length) override;
    void PlaceInHeader(RECT& header) override;
  };
  class CNavigateButtonArrowLeft : public CNavigateButtonArrow {
   public:
    explicit CNavigateButtonArrowLeft(CTKTabManager* manager);
    void PaintGlyph(HDC dc, const RECT& rect) override;
    void Fire(bool repeat) override;
    void Relayout() override;
  };
  class CNavigateButtonArrowRight : public CNavigateButtonArrow {
   public:
    explicit CNavigateButtonArrowRight(CTKTabManager* manager);
    void PaintGlyph(HDC dc, const RECT& rect) override;
    void Fire(bool repeat) override;
    void Relayout() override;
  };
  class CNavigateButtonClose : public CTKTabManagerNavigateButton {
   public:
    explicit CNavigateButtonClose(CTKTabManager* manager);
    void ReserveLength(int& length) override;
    void PaintGlyph(HDC dc, const RECT& rect) override;
    void Fire(bool repeat) override;
  };

  // The rows of the multi-row layout: (first index, last index) each.
  struct CRowTable {
    std::vector<std::pair<int, int>> rows;
    void Reset(int count) { rows.assign(1, {0, count - 1}); }
    int Count() const { return static_cast<int>(rows.size()); }
  };

  // Where a layout left the items and the strip's parts: taken before the drag loop exchanges
  // two items, so that the layout after the exchange can redraw only what moved.
  struct CLayoutPicture {
    struct CButton {
      RECT rect;
      bool enabled, hot, pressed;
    };
    std::vector<const CTKTabManagerItem*> items;
    std::vector<RECT> rects;
    std::vector<RECT> areas;  // each item's redraw area
    std::vector<std::pair<int, int>> rows;
    std::vector<CButton> buttons;
    RECT control{}, header{}, page{};
    int scroll_offset = 0;
    const CTKTabManagerItem* selected = nullptr;
    const CTKTabManagerItem* hot = nullptr;
    const CTKTabManagerItem* pressed = nullptr;
    bool active = true;
  };

  CTKTabManager();
  ~CTKTabManager() override;
  CTKTabManager(const CTKTabManager&) = delete;
  CTKTabManager& operator=(const CTKTabManager&) = delete;

  virtual std::wstring ItemCaptionOf(const CTKTabManagerItem* item) const;
  virtual int ItemStateOf(const CTKTabManagerItem* item) const;
  virtual COLORREF ItemColourOf(const CTKTabManagerItem* item) const;
  virtual std::wstring ItemTipOf(const CTKTabManagerItem* item) const;
  virtual void RenumberItems();
  virtual void SelectItem(CTKTabManagerItem* item);
  virtual void SelectItemIfAllowed(CTKTabManagerItem* item);
  virtual void QueryTabSizes(SIZE* button, SIZE* minimum, SIZE* maximum) const;
  virtual CTKTabPaintManager* TabPainter() const = 0;
  virtual void HostSlot() {}
  // The whole control when `rect` is null.
  virtual void InvalidateStrip(const RECT* rect, bool animate) = 0;
  virtual bool ReorderAllowed() const { return allow_reorder_; }
  virtual void AllowReorder(bool allow) { allow_reorder_ = allow; }
  virtual bool StaticFrameWanted() const;
  // Whether the item has an icon (and its size); draws it at `point` when `draw`.
  virtual bool PaintItemIcon(HDC dc, POINT point, CTKTabManagerItem* item, bool draw, SIZE& size);
  virtual int StripPosition() const;
  virtual void ScrollByStep(bool towards_end);
  virtual INT_PTR TipHitTest(HWND window, POINT point, TOOLINFOW* tool) const;
  virtual BOOL HandleKey(HWND window, UINT key);
  virtual bool NavButtonWanted(const CTKTabManagerNavigateButton* button) const;
  virtual void ItemClicked(CTKTabManagerItem* item) { SelectItem(item); }
  virtual bool SelectionAllowed(CTKTabManagerItem* item) const { return true; }
  virtual void DragReorderLoop(HWND window, POINT point, CTKTabManagerItem* item);
  virtual void NavButtonClicked(int id) {}
  virtual bool MouseLocked() const { return false; }
  virtual bool FocusMarkWanted() const { return false; }
  virtual void SpareSlot() {}

  // The model's own editing.
  CTKTabManagerItem* InsertItem(int index, const std::wstring& caption, int image = -1, ULONG_PTR data = 0);
  CTKTabManagerItem* AddItem(const std::wstring& caption, int image = -1, ULONG_PTR data = 0) {
    return InsertItem(ItemCount(), caption, image, data);
  }
  // Lets the item go; a removed selection passes to the item now at its place (or the last).
  void RemoveItem(int index);
  // Moves an item to another position; the selection stays with its item.
  void MoveItem(int from, int to);
  void ClearItems();

  int ItemCount() const { return static_cast<int>(items_.size()); }
  CTKTabManagerItem* ItemAtIndex(int index) const;
  int SelectedIndex() const { return selected_ ? selected_->Index() : -1; }
  void SelectIndex(int index);
  CTKTabManagerItem* Selected() const { return selected_; }
  CTKTabManagerItem* Hot() const { return hot_; }
  CTKTabManagerItem* Pressed() const { return pressed_; }
  int ScrollOffset() const { return scroll_offset_; }
  void ScrollTo(int offset);
  // Stores the offset without a new layout (the painter's layout corrects it).
  void SetScrollOffsetDirect(int offset) { scroll_offset_ = offset > 0 ? 0 : offset; }
  void BringIntoView(CTKTabManagerItem* item);
  int TotalItemsLength() const;
  bool IsActive() const { return active_; }
  void SetActive(bool active) { active_ = active; }

  CLayoutPicture TakeLayoutPicture() const;
  // After a layout: when nothing but the places of items changed since `before`, the part of
  // the strip that shows them (empty when nothing moved) goes to `area` and the answer is true:
  // the band across the strip from the first to the last place whose item or rectangle
  // changed, where those tabs were and where they are now. False when anything else changed.
  bool PlacesChangedSince(const CLayoutPicture& before, RECT* area) const;
  // The picture taken before the drag loop's latest exchange, while the strip is renumbered and
  // laid out after it; null at any other time.
  const CLayoutPicture* PictureBeforeExchange() const { return picture_before_exchange_; }
  // The area to redraw when the item's look changes.
  RECT RedrawAreaOf(const CTKTabManagerItem* item) const;

  CTKTabManagerItem* ItemAt(POINT point) const;
  CTKTabManagerItem* NextUsableItem(int index, int direction) const;
  void TrackPointer(HWND window, POINT point);
  bool HandlePress(HWND window, POINT point, bool buttons_only);
  bool RunsHorizontally() const;
  int ExtentAlongStrip(const RECT& rect) const;

  const RECT& HeaderRect() const { return header_; }
  void SetHeaderRect(const RECT& rect) { header_ = rect; }
  const RECT& ControlRect() const { return control_; }
  void SetControlRect(const RECT& rect) { control_ = rect; }
  const RECT& PageRect() const { return page_; }
  RECT& PageRectRef() { return page_; }
  void SetPageRect(const RECT& rect) { page_ = rect; }
  CRowTable& Rows() { return rows_; }
  const CRowTable& Rows() const { return rows_; }
  const std::vector<CTKTabManagerNavigateButton*>& NavigateButtons() const { return buttons_; }
  CTKTabManagerNavigateButton* NavigateButton(int id) const { return buttons_[static_cast<size_t>(id)]; }
  CTKWinThemeWrapper& Theme() { return theme_; }

 protected:
  // The press-tracking loop of an item (reordering off, select-on-press off).
  void PressTrackLoop(HWND window, POINT point, CTKTabManagerItem* item);
  // The drag loop's direct change of the selection (no notification).
  void SetSelectedDirect(CTKTabManagerItem* item) { selected_ = item; }
  void SetHotDirect(CTKTabManagerItem* item) { hot_ = item; }
  void RedrawItem(const CTKTabManagerItem* item, bool animate);
  std::vector<CTKTabManagerItem*>& Items() { return items_; }

 private:
  CTKTabManagerItem* selected_ = nullptr;
  CTKTabManagerItem* hot_ = nullptr;
  CTKTabManagerItem* pressed_ = nullptr;
  int scroll_offset_ = 0;
  bool allow_reorder_ = true;
  bool active_ = true;
  RECT header_{};
  RECT control_{};
  RECT page_{};
  std::vector<CTKTabManagerItem*> items_;
  std::vector<CTKTabManagerNavigateButton*> buttons_;
  CTKWinThemeWrapper theme_;
  CRowTable rows_;
  mutable std::wstring last_tip_;  // the text of the last item tool handed out
  const CLayoutPicture* picture_before_exchange_ = nullptr;
};

