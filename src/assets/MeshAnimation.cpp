// MeshAnimation: placeholder until the animation reader lands.
#include "assets/MeshAnimation.h"

void MeshAnimation::update(unsigned, float) {}
