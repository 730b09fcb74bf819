// SPDX-License-Identifier: MIT
// The canvas and image interface on the toolkit: each canvas function takes the shell first,
// finds the shell's current draw context (set only while the editor's view draws) and turns
// its plain arguments into one draw-context operation. Without a shell or a current draw
// context a function does nothing and answers 0 (0.0).
//
// Colours are four integers of which only the low 8 bits count; coordinates pass unchanged;
// texts are zero-terminated UTF-8. Fonts are kept in the shell's font cache, one description
// per face (letter case ignored), for the life of the shell.
// Everything runs on the thread that paints the editor window.                      [ui]
#pragma once

#include "host/CanvasInterface.h"

#include <cstdint>

class CVeST;

using TarvoInt = std::int32_t;

// ---- drawing state and primitives -----------------------------------------------------------
TarvoInt canvasSetDrawMode(CVeST* shell, TarvoInt mode);
TarvoInt canvasSetTextColor(CVeST* shell, TarvoInt red, TarvoInt green, TarvoInt blue,
                            TarvoInt alpha);
TarvoInt canvasSetFillColor(CVeST* shell, TarvoInt red, TarvoInt green, TarvoInt blue,
                            TarvoInt alpha);
TarvoInt canvasSetLineColor(CVeST* shell, TarvoInt red, TarvoInt green, TarvoInt blue,
                            TarvoInt alpha);
TarvoInt canvasMoveTo(CVeST* shell, double x, double y);
TarvoInt canvasLineTo(CVeST* shell, double x, double y);
// Angles in degrees (narrowed to 32-bit floats); style 0 stroked, 1 filled, 2 both.
TarvoInt canvasArc(CVeST* shell, double left, double top, double right, double bottom,
                   double startAngle, double endAngle, TarvoInt style);
TarvoInt canvasRect(CVeST* shell, double left, double top, double right, double bottom,
                    TarvoInt style);
TarvoInt canvasEllipse(CVeST* shell, double left, double top, double right, double bottom,
                       TarvoInt style);
TarvoInt canvasPoint(CVeST* shell, double x, double y, TarvoInt red, TarvoInt green, TarvoInt blue,
                     TarvoInt alpha);
// The colour the draw context reports at the point, one byte per output (outputs untouched
// when the answer is 0).
TarvoInt canvasGetPoint(CVeST* shell, double x, double y, TarvoInt* red, TarvoInt* green,
                        TarvoInt* blue, TarvoInt* alpha);

// ---- fonts and text ---------------------------------------------------------------------------
// Selects the face (found in or added to the font cache) at `size` pixels with `style`.
TarvoInt canvasSetFont(CVeST* shell, const char* face, TarvoInt size, TarvoInt style);
// Width of the text in the current font; -1 when the draw context cannot measure.
double canvasStringWidth(CVeST* shell, const char* text);
// The current font's nominal size, truncated toward zero.
TarvoInt canvasFontSize(CVeST* shell);
TarvoInt canvasTextAt(CVeST* shell, const char* text, double x, double y, TarvoInt antiAlias);
// Alignment 0 left, 1 centre, 2 right, anything else centre.
TarvoInt canvasTextAligned(CVeST* shell, const char* text, double left, double top, double right,
                           double bottom, TarvoInt alignment, TarvoInt antiAlias);
// As canvasTextAligned, always anti-aliased; `ignored` is passed on and has no effect.
TarvoInt canvasTextInRect(CVeST* shell, const char* text, double left, double top, double right,
                          double bottom, TarvoInt ignored, TarvoInt alignment);

// ---- the editor -------------------------------------------------------------------------------
// Creates the shell's editor with that size unless it has one; 1 when created.
TarvoInt createEditor(CVeST* shell, TarvoInt width, TarvoInt height);
// The size the shell's editor was created with; 0 (outputs untouched) without an editor.
TarvoInt canvasEditorSize(CVeST* shell, TarvoInt* width, TarvoInt* height);

// ---- images -----------------------------------------------------------------------------------
TarvoImage* imageNew();
TarvoInt imageDelete(TarvoImage* image);
// Decodes an image file; the path is UTF-8. The holder is emptied first.
TarvoInt imageLoadFile(TarvoImage* image, const char* path);
TarvoInt imageLoadResourceName(TarvoImage* image, const char* name);
TarvoInt imageLoadResourceId(TarvoImage* image, TarvoInt number);
double imageWidth(TarvoImage* image);
double imageHeight(TarvoImage* image);
TarvoInt imageGetTransparentColor(TarvoImage* image, TarvoInt* red, TarvoInt* green, TarvoInt* blue,
                                  TarvoInt* alpha);
TarvoInt imageSetTransparentColor(TarvoImage* image, TarvoInt red, TarvoInt green, TarvoInt blue,
                                  TarvoInt alpha);
TarvoInt imageGetNoAlpha(TarvoImage* image);
TarvoInt imageSetNoAlpha(TarvoImage* image, TarvoInt flag);
TarvoInt imageDraw(TarvoImage* image, CVeST* shell, double left, double top, double right,
                   double bottom, double sourceX, double sourceY);
TarvoInt imageDrawAlpha(TarvoImage* image, CVeST* shell, double left, double top, double right,
                        double bottom, double sourceX, double sourceY, TarvoInt alpha);
TarvoInt imageDrawTransparent(TarvoImage* image, CVeST* shell, double left, double top,
                              double right, double bottom, double sourceX, double sourceY);

// The table of all of the above, for the entry point of a library with an editor.
const CanvasInterface& toolkitCanvas();
