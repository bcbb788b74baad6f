#pragma once

#include <string>

#include "store/database.hpp"

namespace recdb {

// The database file: records back to back, no header. Per record, with all
// integers signed 32-bit little-endian: name length L (0..63), L name bytes,
// group, ratingNum, ratingDen, info length M (-1 when there is no info), and
// M info bytes when M >= 0.

// Writes every record in list order. 0 done; -1 the database is empty and
// nothing is touched; -2 the file cannot be created or opened; -3 a write,
// flush or close failed. A regular file (or a new one) is written beside the
// target and renamed over it only when complete, so a failure leaves an
// existing file as it was; a device or pipe is written directly.
int store(const Database& database, const std::string& fileName);

// Empties the database, then files the file's records as insert does, in
// file order, duplicate names included. Data that ends inside a record keeps
// the records before it. 0 done; -2 the file cannot be opened or read;
// -3 no memory for the data; -4 a name length outside 0..63.
int load(Database& database, const std::string& fileName);

}  // namespace recdb
