// The roles a screen reader announces for the window's own widget classes, which Qt would
// otherwise report as plain panels: the main window and the preview are windows, the waveform
// strips a drawing.
#pragma once

namespace eb {

// Teaches Qt's accessibility layer those roles; the first call does it, later ones nothing.
void InstallAccessibleRoles();

}  // namespace eb
