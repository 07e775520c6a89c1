// Angles: conversion between radians and degrees.
#include <numbers>

#include "kit/linalg.h"

namespace {

constexpr double radiansPerDegree = std::numbers::pi / 180.0;

}  // namespace

cxRadian::cxRadian(cxDegree degrees) : value_(degrees.toDouble() * radiansPerDegree) {}

cxDegree::cxDegree(cxRadian radians) : value_(radians.toDouble() / radiansPerDegree) {}
