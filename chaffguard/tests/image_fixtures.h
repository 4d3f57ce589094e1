// Small images made with ImageMagick's convert, base64 in 76-column lines as
// a mail client attaches them:
//   kPng  7x5 pixels, 8-bit RGB (24 bits per pixel), gradient, no metadata
//   kJpeg 9x4 pixels, colour (24 bits per pixel), quality 60, no metadata
//   kGif  3x2 pixels, two-colour palette (1 bit per pixel)
#pragma once

namespace cg_test {

inline constexpr char kPngBase64[] =
    "iVBORw0KGgoAAAANSUhEUgAAAAcAAAAFCAIAAAAG+GGPAAAAIElEQVQI12P8z4AFsBxgsMcq6oAp\r\n"
    "ymjPsB+LKAMDFpMBQuwFB6mdC+sAAAAASUVORK5CYII=\r\n";

inline constexpr char kJpegBase64[] =
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAA0JCgsKCA0LCgsODg0PEyAVExISEyccHhcgLikxMC4p\r\n"
    "LSwzOko+MzZGNywtQFdBRkxOUlNSMj5aYVpQYEpRUk//2wBDAQ4ODhMREyYVFSZPNS01T09PT09P\r\n"
    "T09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT09PT0//wAARCAAEAAkDASIA\r\n"
    "AhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAb/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/8QAFQEB\r\n"
    "AQAAAAAAAAAAAAAAAAAAAwX/xAAaEQABBQEAAAAAAAAAAAAAAAAAAQIEFFOR/9oADAMBAAIRAxEA\r\n"
    "PwCfARwrkjR3VP/Z\r\n";

inline constexpr char kGifBase64[] = "R0lGODlhAwACAPAAAAAA/wAAACH5BAAAAAAALAAAAAADAAIAAAIChF8AOw==\r\n";

}  // namespace cg_test
