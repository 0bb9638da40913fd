#pragma once

// Closes every modal window that is open, the topmost first, each by its own Cancel route
// (its close event), so that a program that is asked to close never ends with a dialog's
// edits half made. Windows that refuse to close are left open.
void closeModalWindows();
