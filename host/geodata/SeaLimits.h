#pragma once
// What a sea can hold: a depth beyond its deepest trench is no depth, from
// whatever instrument, chart or file it comes.
inline constexpr double kDeepestSeaMetres = 11000.0;
