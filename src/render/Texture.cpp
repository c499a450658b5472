// Texture: placeholder until the texture loader lands.
#include "render/Texture.h"

Texture::~Texture() = default;
bool Texture::load(const std::string&) { return false; }
void Texture::upload() {}
void Texture::freePixels() { pixels.clear(); }
void Texture::bind() const {}
void Texture::setFiltering(bool) {}
void Texture::setWrap(int) {}
