#pragma once

namespace tackedit {

// The track editor's view and selection state, held once by the application.
struct EditorState {
};

} // namespace tackedit
