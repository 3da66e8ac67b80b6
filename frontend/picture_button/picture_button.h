#pragma once
// CPictureButton: the owner-drawn push button of the tool server's windows
// (the main menu's big buttons, the editors' colour swatches and play slots).
// It shows a picture, and a second "hot" picture while the mouse is over it,
// with one key colour left transparent; draws its caption over a background
// whose colours depend on the state; lights up under the mouse; and can play
// a sound when it lights up or is clicked, open a URL or pop up a menu.
//
// Colours are Windows colour values (0x00BBGGRR). Setters return 0 or one of
// the codes below and repaint at once when asked to.

#include <QImage>
#include <QPushButton>
#include <QString>
#include <array>
#include <optional>

#include "frontend/picture_button/wave_player.h"
#include "frontend/picture_button/windows_colour.h"

class QMenu;

namespace qgu::toolserver {

enum PictureButtonCode : int {
  kButtonOk = 0,
  kPictureSizeUnknown = 1,
  kMaskNotBuilt = 2,
  kBadColourSlot = 3,
  kBadLayoutMode = 4,
  kBadPressedStyle = 6,
};

// Three background/text pairs.
enum ColourSlot : int {
  kLitBackground = 0,  // mouse over the button, or pressed
  kLitText = 1,
  kNormalBackground = 2,
  kNormalText = 3,
  kFocusBackground = 4,  // keyboard focus
  kFocusText = 5,
  kColourSlotCount = 6,
};

// How picture and caption share the button.
enum ButtonLayout : int {
  kPictureLeftOfCaption = 0,
  kPictureAboveCaption = 1,
  kPictureRightOfCaption = 2,
  kCaptionOverPicture = 3,  // picture centred, caption centred on top of it
  kMaxLayoutMode = 3,
};

// How far picture and caption move while the button is held down.
enum PressedStyle : int {
  kPressedDownRight = 0,  // (1, 1)
  kPressedDown = 1,       // (0, 2)
  kPressedStill = 2,      // none
};

inline constexpr int kMaxUrlLength = 260;

class CPictureButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CPictureButton(QWidget* parent = nullptr);
  CPictureButton(const QString& caption, QWidget* parent);

  // Pictures by resource id (picture_resources.h); hotId 0 means none.
  int SetPictures(int pictureId, WindowsColour key, int hotId = 0, WindowsColour hotKey = 0);
  // Pictures given directly; a null hot picture means none.
  int SetPictures(const QImage& picture, WindowsColour key, const QImage& hot = {}, WindowsColour hotKey = 0);

  int SetColour(int slot, WindowsColour colour, bool repaint = true);
  // Every background slot the button face colour, every text slot the button text colour.
  int SetDefaultColours(bool repaint = true);
  int SetLayout(int mode, bool repaint = true);
  int SetPressedStyle(int style, bool repaint = true);
  int SetFlat(bool flat, bool repaint = true);
  int SetBorder(bool border, bool repaint = true);
  // From now on the parent's background shows where the button would fill its own.
  void SetTransparent(bool repaint = true);
  // At most kMaxUrlLength characters are kept; nullopt clears the URL.
  int SetUrl(const std::optional<QString>& url);
  // Resizes the button to its picture, keeping its position.
  void SizeToContent();

  void SetHoverSound(std::optional<WaveRequest> sound) { hoverSound_ = std::move(sound); }
  void SetClickSound(std::optional<WaveRequest> sound) { clickSound_ = std::move(sound); }
  // A click shows the menu's first submenu below the button and sends the
  // chosen action's command (its data as int) through MenuCommand.
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
  // Check-box mode: each click toggles the checked state, drawn as pressed.
  void SetCheckBoxMode(bool on) { checkBoxMode_ = on; }
  void SetChecked(bool checked);

  WindowsColour Colour(int slot) const { return colours_.at(static_cast<size_t>(slot)); }
  int Layout() const { return layout_; }
  int PressedStyleOf() const { return pressedStyle_; }
  bool IsFlat() const { return flat_; }
  bool HasBorder() const { return border_; }
  bool IsTransparent() const { return transparent_; }
  bool IsLit() const { return lit_; }
  bool IsChecked() const { return checked_; }
  const std::optional<QString>& Url() const { return url_; }
  // The picture as drawn: key-colour pixels are fully transparent.
  const QImage& Picture() const { return picture_; }
  const QImage& HotPicture() const { return hotPicture_; }

  QSize sizeHint() const override;

 signals:
  void MenuCommand(int command);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void OnClicked();
  void ShowPopupMenu();
  void Repaint(bool repaint);
  void SetLit(bool lit);
  QPoint PressedOffset() const;
  void DrawEdge(QPainter& painter, const QRect& area, bool pressed) const;
  void DrawContent(QPainter& painter, const QRect& area, bool pressed, int textSlot) const;

  QImage picture_;
  QImage hotPicture_;
  std::array<WindowsColour, kColourSlotCount> colours_{};
  bool flat_ = true;
  bool border_ = true;
  int layout_ = kPictureLeftOfCaption;
  int pressedStyle_ = kPressedDownRight;
  bool transparent_ = false;
  bool lit_ = false;
  bool checkBoxMode_ = false;
  bool checked_ = false;
  std::optional<WaveRequest> hoverSound_;
  std::optional<WaveRequest> clickSound_;
  std::optional<QString> url_;
  QMenu* popupMenu_ = nullptr;
};

// The picture with every pixel of the key colour made transparent, or a null
// image when the picture is null.
QImage MaskedPicture(const QImage& picture, WindowsColour key);

}  // namespace qgu::toolserver
