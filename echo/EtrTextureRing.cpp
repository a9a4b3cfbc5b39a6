#include "echo/EtrTextureRing.h"

EtrTextureRing::~EtrTextureRing() = default;

void EtrTextureRing::Reset() {
    firstNumber_ = 0;
    rowCount_ = 0;
    nextRow_ = 0;
}
