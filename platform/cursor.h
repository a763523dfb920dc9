#pragma once

namespace tackedit {

class CursorControl {
public:
    virtual ~CursorControl() = default;
    virtual void ShowBusyCursor() = 0;
    virtual void ShowDefaultCursor() = 0;
};

} // namespace tackedit
