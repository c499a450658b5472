// Renderer (buffer store): placeholder until mesh buffers land.
#include "app/Renderer.h"

int Renderer::createBufferSet(unsigned, const std::uint8_t*, const float* const*, unsigned) {
    return -1;
}
int Renderer::createIndexBuffer(int, const std::uint16_t*) { return -1; }
int Renderer::createBuffer() { return -1; }
void Renderer::uploadArrayBuffer(int, const float*, std::int64_t) {}
void Renderer::deleteBuffer(int) {}
void Renderer::deleteBufferSet(int) {}
GLuint Renderer::getBuffer(int) const { return 0; }
const BufferSet* Renderer::getBufferSet(int) const { return nullptr; }
