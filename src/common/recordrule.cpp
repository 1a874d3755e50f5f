#include "recordrule.h"

#include "numbertext.h"

namespace recordrule {

double storedBest(const QString &scoreFileText)
{
    return numbertext::leadingNumber(scoreFileText);
}

bool beaten(double storedBest, double score)
{
    return storedBest < score;
}

} // namespace recordrule
