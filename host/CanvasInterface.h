// SPDX-License-Identifier: MIT
// The canvas and image interface: the flat functions through which an effect draws on the
// editor view's draw context, selects fonts, manages images and creates or measures its
// editor. Every function takes the shell first; the effect runtime reaches them through the
// table its shell was given by the entry point, so that the runtime never knows the toolkit's
// classes. A library without an editor gives no table, and then every call answers 0 (0.0),
// exactly as the functions answer outside a drawing pass.
#pragma once

#include <cstdint>

class CVeST;
struct TarvoImage; // an image holder: empty or one toolkit bitmap

struct CanvasInterface {
    using Int = std::int32_t;

    // ---- drawing state and primitives: 0 outside a drawing pass --------------------------
    Int (*canvasSetDrawMode)(CVeST* shell, Int mode);
    Int (*canvasSetTextColor)(CVeST* shell, Int red, Int green, Int blue, Int alpha);
    Int (*canvasSetFillColor)(CVeST* shell, Int red, Int green, Int blue, Int alpha);
    Int (*canvasSetLineColor)(CVeST* shell, Int red, Int green, Int blue, Int alpha);
    double (*canvasStringWidth)(CVeST* shell, const char* text);
    Int (*canvasFontSize)(CVeST* shell);
    Int (*canvasMoveTo)(CVeST* shell, double x, double y);
    Int (*canvasLineTo)(CVeST* shell, double x, double y);
    Int (*canvasArc)(CVeST* shell, double left, double top, double right, double bottom,
                     double startAngle, double endAngle, Int style);
    Int (*canvasRect)(CVeST* shell, double left, double top, double right, double bottom,
                      Int style);
    Int (*canvasEllipse)(CVeST* shell, double left, double top, double right, double bottom,
                         Int style);
    Int (*canvasTextAt)(CVeST* shell, const char* text, double x, double y, Int antiAlias);
    Int (*canvasTextAligned)(CVeST* shell, const char* text, double left, double top, double right,
                             double bottom, Int alignment, Int antiAlias);
    Int (*canvasTextInRect)(CVeST* shell, const char* text, double left, double top, double right,
                            double bottom, Int ignored, Int alignment);
    Int (*canvasPoint)(CVeST* shell, double x, double y, Int red, Int green, Int blue, Int alpha);
    Int (*canvasGetPoint)(CVeST* shell, double x, double y, Int* red, Int* green, Int* blue,
                          Int* alpha);
    Int (*canvasSetFont)(CVeST* shell, const char* face, Int size, Int style);

    // ---- the editor ------------------------------------------------------------------------
    Int (*createEditor)(CVeST* shell, Int width, Int height);
    Int (*canvasEditorSize)(CVeST* shell, Int* width, Int* height);

    // ---- images ----------------------------------------------------------------------------
    TarvoImage* (*imageNew)();
    Int (*imageDelete)(TarvoImage* image);
    Int (*imageLoadFile)(TarvoImage* image, const char* path);
    Int (*imageLoadResourceName)(TarvoImage* image, const char* name);
    Int (*imageLoadResourceId)(TarvoImage* image, Int number);
    double (*imageWidth)(TarvoImage* image);
    double (*imageHeight)(TarvoImage* image);
    Int (*imageGetTransparentColor)(TarvoImage* image, Int* red, Int* green, Int* blue, Int* alpha);
    Int (*imageSetTransparentColor)(TarvoImage* image, Int red, Int green, Int blue, Int alpha);
    Int (*imageGetNoAlpha)(TarvoImage* image);
    Int (*imageSetNoAlpha)(TarvoImage* image, Int flag);
    Int (*imageDraw)(TarvoImage* image, CVeST* shell, double left, double top, double right,
                     double bottom, double sourceX, double sourceY);
    Int (*imageDrawAlpha)(TarvoImage* image, CVeST* shell, double left, double top, double right,
                          double bottom, double sourceX, double sourceY, Int alpha);
    Int (*imageDrawTransparent)(TarvoImage* image, CVeST* shell, double left, double top,
                                double right, double bottom, double sourceX, double sourceY);
};
