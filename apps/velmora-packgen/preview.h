// Review pictures of the generated art, drawn headlessly through the engine's own model
// instance: one strip per clip (evenly spaced poses seen from the side, each paw marked red
// where it is down and blue where it is lifted) and one sheet of the three coats and the toy
// in its four yarn colours.
#pragma once

#include <string>

bool WritePreview(const std::string& folder, std::string* error);
