#pragma once

namespace platform {

// When TIDEMARK_QUIT_AFTER_START is set, the program ends as soon as its event loop has run
// once: the start-up check of the build, which must not wait for a user.
void QuitAfterStartIfAsked();

}  // namespace platform
