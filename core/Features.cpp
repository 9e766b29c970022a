#include "Features.h"

FeatureList::FeatureList() = default;
FeatureList::~FeatureList() = default;
