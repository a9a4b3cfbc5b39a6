#pragma once
// The echogram's look (colour scale, gain, threshold, colour bar) kept in the
// module data object's section of the profile.
class StyleTable;

void SaveEchoLook(const StyleTable& styles);
// Values that cannot be used are passed over with a warning; the table keeps
// what it had for them.
void LoadEchoLook(StyleTable& styles);
