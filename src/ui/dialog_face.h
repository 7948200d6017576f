#pragma once

class QLabel;

// The settings dialog's places and sizes were made for Tahoma 8 pt. Where the
// system has no Tahoma, a face made to its metrics stands in when it can be
// found (Debian's fonts-wine); call before the first widget asks for the face.
void ProvideTahoma();

// Lets Label show its caption whole within MaxWidth pixels: the label grows up
// to MaxWidth, and a caption wider still gets a smaller size of its face.
void FitCaption(QLabel& Label, int MaxWidth);
