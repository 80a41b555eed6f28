#pragma once

// The picture of a diagram window: the block it shows, as the window shows it scrolled to its origin,
// with nothing marked, at the size of its scroll range. The editor's picture commands and the batch
// command --render make their PNG and SVG files here.

#include "model/displayoptions.h"

#include <QByteArray>
#include <QImage>

#include <string>

enum class TPictureFormat { Png, Svg, Pdf };

// What a picture shows: `shown` with the collapsed blocks of `view`, in one drawing mode. The options are
// a copy without marks, drop target or highlight, so drawing the picture changes nothing in the window.
struct TPictureSource
{
    TPictureSource(TBlock& block, const TDisplayOptions& windowOptions, bool flowchartMode);

    TBlock& shown;
    TDisplayOptions view;
    bool flowchart;
};

// The format that the extension of `fileName` names; throws UnknownOutputFormat.
TPictureFormat pictureFormatOf(const std::string& fileName);

// The largest scale a picture is drawn at, and the smallest.
inline constexpr double kMaxPictureScale = 8;
inline constexpr double kMinPictureScale = 0.25;

// The picture in pixels at `scale` (1 for 100 %): the scroll range's size times the scale, drawn at that
// resolution, so lines stay sharp. A picture too large for memory, or with a text too wide to be drawn
// whole, throws ImageTooLarge with `name`.
QImage pictureImage(TPictureSource& source, double scale, const std::string& name);
// The picture as an SVG drawing of lines, rectangles, polygons and texts; `scale` sets its size, the
// drawing inside keeps its coordinates. A design too large for an SVG picture throws ImageTooLarge with
// `name`.
QByteArray pictureSvg(TPictureSource& source, double scale = 1, const std::string& name = {});
// The picture as a one-page PDF drawing of the picture's size. A text too wide to be drawn whole throws
// ImageTooLarge with `name`.
QByteArray picturePdf(TPictureSource& source, const std::string& name = {});
// The picture as the file bytes of `format`; PNG at `scale`.
QByteArray pictureBytes(TPictureSource& source, TPictureFormat format, double scale, const std::string& name);
