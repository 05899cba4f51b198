// Review pictures of the generated art, drawn headlessly through the engine's own model
// instance: one strip per clip (evenly spaced poses seen from the side, each paw marked red
// where it is down and blue where it is lifted), one sheet of the three coats and the toy in
// its four yarn colours, and for a walk, a sit, a sleep and a toy clip a sheet of every coat
// seen from straight above and from raised quarters.
#pragma once

#include <string>

bool WritePreview(const std::string& folder, std::string* error);
