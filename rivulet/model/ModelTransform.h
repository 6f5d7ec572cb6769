#pragma once

#include "lum/estimation/SoftmaxTransform.h"

namespace rivulet {

class ParameterStructure;

// The coordinates a model is optimised in: one per free parameter of the structure, mapped so
// that every capture probability lies in [0, 1] (logistic) and the free movement
// probabilities out of one point never add up to more than what the point's fixed movements
// leave (a multinomial logit against the fish that are lost).
//
// Equating lets one free parameter sit in the sets of several releases, so the sets that share
// a parameter are joined into one group, whose budget is the smallest of its sets' budgets.
// Every set's sum stays within its own budget. This is stricter than the exact constraint
// only where equated releases have different data-fixed members: a set then shares its
// budget with free parameters of another release that are not its members.
//
// A set whose fixed members already take up the whole unit (a movement fixed at 1 next to
// free ones) leaves its free members nothing: they, and every parameter grouped with them,
// are 0, which is the only value the constraint allows.
lum::SoftmaxTransform modelTransform(const ParameterStructure& structure);

} // namespace rivulet
