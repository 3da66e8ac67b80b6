#include "host/key_events.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace qgu::host {
namespace {

struct QtKey {
  int key;
  int scanCode;
};

// Where the platform gives no native code: the keys a controller is bound to.
constexpr QtKey kQtKeys[] = {
    {Qt::Key_Escape, 0x01},   {Qt::Key_1, 0x02},        {Qt::Key_2, 0x03},         {Qt::Key_3, 0x04},
    {Qt::Key_4, 0x05},        {Qt::Key_5, 0x06},        {Qt::Key_6, 0x07},         {Qt::Key_7, 0x08},
    {Qt::Key_8, 0x09},        {Qt::Key_9, 0x0A},        {Qt::Key_0, 0x0B},         {Qt::Key_Minus, 0x0C},
    {Qt::Key_Equal, 0x0D},    {Qt::Key_Backspace, 0x0E}, {Qt::Key_Tab, 0x0F},      {Qt::Key_Q, 0x10},
    {Qt::Key_W, 0x11},        {Qt::Key_E, 0x12},        {Qt::Key_R, 0x13},         {Qt::Key_T, 0x14},
    {Qt::Key_Y, 0x15},        {Qt::Key_U, 0x16},        {Qt::Key_I, 0x17},         {Qt::Key_O, 0x18},
    {Qt::Key_P, 0x19},        {Qt::Key_BracketLeft, 0x1A}, {Qt::Key_BracketRight, 0x1B},
    {Qt::Key_Return, 0x1C},   {Qt::Key_Control, 0x1D},  {Qt::Key_A, 0x1E},         {Qt::Key_S, 0x1F},
    {Qt::Key_D, 0x20},        {Qt::Key_F, 0x21},        {Qt::Key_G, 0x22},         {Qt::Key_H, 0x23},
    {Qt::Key_J, 0x24},        {Qt::Key_K, 0x25},        {Qt::Key_L, 0x26},         {Qt::Key_Semicolon, 0x27},
    {Qt::Key_Apostrophe, 0x28}, {Qt::Key_QuoteLeft, 0x29}, {Qt::Key_Shift, 0x2A},  {Qt::Key_Backslash, 0x2B},
    {Qt::Key_Z, 0x2C},        {Qt::Key_X, 0x2D},        {Qt::Key_C, 0x2E},         {Qt::Key_V, 0x2F},
    {Qt::Key_B, 0x30},        {Qt::Key_N, 0x31},        {Qt::Key_M, 0x32},         {Qt::Key_Comma, 0x33},
    {Qt::Key_Period, 0x34},   {Qt::Key_Slash, 0x35},    {Qt::Key_Alt, 0x38},       {Qt::Key_Space, 0x39},
    {Qt::Key_F1, 0x3B},       {Qt::Key_F2, 0x3C},       {Qt::Key_F3, 0x3D},        {Qt::Key_F4, 0x3E},
    {Qt::Key_F5, 0x3F},       {Qt::Key_F6, 0x40},       {Qt::Key_F7, 0x41},        {Qt::Key_F8, 0x42},
    {Qt::Key_F9, 0x43},       {Qt::Key_F10, 0x44},      {Qt::Key_F11, 0x57},       {Qt::Key_F12, 0x58},
    {Qt::Key_Enter, 0x9C},    {Qt::Key_Home, 0xC7},     {Qt::Key_Up, 0xC8},        {Qt::Key_PageUp, 0xC9},
    {Qt::Key_Left, 0xCB},     {Qt::Key_Right, 0xCD},    {Qt::Key_End, 0xCF},       {Qt::Key_Down, 0xD0},
    {Qt::Key_PageDown, 0xD1}, {Qt::Key_Insert, 0xD2},   {Qt::Key_Delete, 0xD3},    {Qt::Key_Pause, 0xC5},
};

// X11 and Wayland key codes are the Linux input codes plus 8.
constexpr quint32 kXkbOffset = 8;

bool NativeCodesAreEvdev() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

}  // namespace

int ScanCodeOfKeyEvent(const QKeyEvent& event) {
  if (NativeCodesAreEvdev() && event.nativeScanCode() > kXkbOffset) {
    return ScanCodeFromEvdev(static_cast<int>(event.nativeScanCode() - kXkbOffset));
  }
  for (const QtKey& key : kQtKeys) {
    if (key.key == event.key()) return key.scanCode;
  }
  return 0;
}

CKeyboardCapture::CKeyboardCapture(CDirectInput& input, QObject* parent) : QObject(parent), input_(input) {}

bool CKeyboardCapture::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      if (!key.isAutoRepeat()) {
        const int code = ScanCodeOfKeyEvent(key);
        if (event->type() == QEvent::KeyPress) {
          input_.KeyDown(code);
        } else {
          input_.KeyUp(code);
        }
      }
      break;
    }
    case QEvent::ApplicationDeactivate:
      input_.ReleaseAllKeys();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qgu::host
