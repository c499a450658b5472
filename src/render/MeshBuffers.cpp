// Mesh (GPU side): placeholder until mesh buffers land.
#include "assets/Mesh.h"

void Mesh::upload() {}
void Mesh::release() {}
void Mesh::draw(const Matrix4&) {}
