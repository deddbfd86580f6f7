#pragma once

#include <string_view>

namespace marlet {

/// Hears of every change the application's setters make, so that a face can show it: the
/// desktop app turns these calls into Qt signals, the command line ignores them.
class ApplicationObserver {
public:
    virtual ~ApplicationObserver() = default;

    /// A setting took a new value; name is its stored name ("FontSize").
    virtual void settingChanged(std::string_view name) { static_cast<void>(name); }
    /// checksize has worked out the page figures and the origin afresh.
    virtual void figuresChanged() {}
    /// A language file has given the interface its texts.
    virtual void textsChanged() {}
    /// Jobs go to another printer from now on.
    virtual void printerChanged() {}
};

} // namespace marlet
