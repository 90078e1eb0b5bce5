#ifndef MORVA_VELOX_POINTSCOLLECTION_H
#define MORVA_VELOX_POINTSCOLLECTION_H

#include "buslib/protocol/address.h"
#include "buslib/model/point.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace morva_velox {

// The points found on one bus, in order; the collection owns them. Points
// may be held by worker threads (Point::tryAcquire); the collection itself
// is used by one thread.
class PointsCollection {
public:
    PointsCollection() = default;
    // Copies every point as assign() does.
    PointsCollection(const PointsCollection& other);
    PointsCollection& operator=(const PointsCollection& other);
    // Clears the collection, waiting for held points.
    virtual ~PointsCollection();

    // Replaces the points by copies of the other collection's points, each
    // copy in state 1, not held, not stopped and without an error.
    void assign(const PointsCollection& other);
    void append(std::unique_ptr<Point> point);

    std::size_t count() const { return m_points.size(); }
    // The point at an index, or none past the end.
    Point* at(std::size_t index);
    const Point* at(std::size_t index) const;
    // The first point with the address, or none.
    Point* findByAddress(const Address& address);
    const Point* findByAddress(const Address& address) const;

    void moveUp(std::size_t index);
    void moveDown(std::size_t index);

    // Releases a point of this collection and destroys it when a stop was
    // requested for it. True when the point was destroyed.
    bool remove(const Point* point);
    // Removes every held point whose stop was requested (see remove());
    // returns the number of points left.
    std::size_t removeStopped();
    // Takes every point in turn and destroys it; a point that somebody holds
    // is retried every 150 ms until it is released.
    void clear();

private:
    using Points = std::vector<std::unique_ptr<Point>>;

    Points::iterator find(const Point* point);
    // The index of the first point with the address; count() when none.
    std::size_t indexOf(const Address& address) const;

    Points m_points;
};

} // namespace morva_velox

#endif
