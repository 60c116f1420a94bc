#pragma once

#include <QWidget>
#include <array>

// The per-window state of the skin engine lives in dynamic properties of the
// window, under these names; a property that is not set reads as 0.
namespace skin::prop {

inline constexpr char kProcAddr[] = "PROCADDR";      // the style in place before attaching
inline constexpr char kMouseFlag[] = "MOUSEFLAG";    // 1 while a mouse-leave is awaited
inline constexpr char kOldState[] = "OLDSTATE";      // the state last drawn
inline constexpr char kHdIndex[] = "HDINDEX";        // the pressed header item, -1 for none
inline constexpr char kHmIndex[] = "HMINDEX";        // the hot header item, -1 for none
inline constexpr char kOldStyle[] = "OLDSTYLE";      // a push button's flags before attaching
inline constexpr char kTimerId[] = "TIMERID";        // the running fade timer, 0 for none
inline constexpr char kAlphaLevel[] = "ALPHALEVEL";  // the opacity of the next fade step

inline constexpr std::array<const char*, 8> kAll = {kProcAddr, kMouseFlag, kOldState, kHdIndex,
                                                    kHmIndex,  kOldStyle,  kTimerId,  kAlphaLevel};

inline int get(const QObject* window, const char* name) { return window->property(name).toInt(); }
inline void set(QObject* window, const char* name, int value) { window->setProperty(name, value); }
inline void remove(QObject* window, const char* name) { window->setProperty(name, QVariant()); }

}  // namespace skin::prop
