// MeshAnimation: whole-mesh keyframes of one mesh and the pose between two of them.
#pragma once

// Placeholder until the animation reader lands.
class MeshAnimation {
public:
    void update(unsigned animationIndex, float time);
};
