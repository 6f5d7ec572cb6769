#pragma once

namespace rivulet {

// What became of a fish at one detection. The observations table and the lists of the
// detection histories keep it as its number (dispositionCode), which files and the database
// have always used.
enum class Disposition : int
{
    // The tag has no detection at all; site and year carry no meaning.
    NoDetection = 0,
    // The fish went on in the river.
    GoesOn = 1,
    // The history ends here (removed, or seen at the last site).
    EndsHistory = 2,
};

constexpr int dispositionCode(Disposition disposition)
{
    return static_cast<int>(disposition);
}

} // namespace rivulet
