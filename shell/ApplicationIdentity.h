#pragma once

namespace vtl {

// Names the program to Qt (organisation and name for the remembered settings, version, icon,
// desktop entry). It sets no display name: Qt would append one to every window title and message
// box caption, and captions are shown exactly as they stand.
void setApplicationIdentity();

} // namespace vtl
