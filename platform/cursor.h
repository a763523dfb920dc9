#pragma once

namespace tackedit {

class CursorControl {
public:
    virtual ~CursorControl() = default;
    virtual void ShowBusyCursor() = 0;
    virtual void ShowDefaultCursor() = 0;
};

// The busy cursor for a scope; the default comes back also when the work raises.
class BusyCursorScope {
public:
    explicit BusyCursorScope(CursorControl& cursor) : cursor_(cursor) { cursor_.ShowBusyCursor(); }
    ~BusyCursorScope() { cursor_.ShowDefaultCursor(); }
    BusyCursorScope(const BusyCursorScope&) = delete;
    BusyCursorScope& operator=(const BusyCursorScope&) = delete;

private:
    CursorControl& cursor_;
};

} // namespace tackedit
