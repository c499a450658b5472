// TextLabel: placeholder until text labels land.
#include "render/TextLabel.h"

void TextLabel::init(const char*, float, float, float, unsigned, float, float, float, Texture*,
                     Camera*) {}
void TextLabel::setText(const char*) {}
void TextLabel::appendQuad(unsigned, unsigned char) {}
void TextLabel::writeUvs(unsigned, unsigned char) {}
