// GNOME's timed wallpapers: the desktop picture may name an XML slide show instead of a picture
// (<background> with a <starttime>, then <static> pictures shown for a <duration> in seconds and
// <transition>s from one to the next, repeating). The ground shows the picture on screen now.
#pragma once

#include <ctime>
#include <string>

// True when `path` names a slide show rather than a picture (by its ".xml" ending).
bool IsSlideShow(const std::string& path);

// The picture the slide show `xml` shows at `now`: the static picture of the moment, or during a
// transition the picture it comes from (until half-way) or goes to. A <file> holding several
// <size>s gives its largest. "" when the text holds no picture.
std::string CurrentSlide(const std::string& xml, std::time_t now);
