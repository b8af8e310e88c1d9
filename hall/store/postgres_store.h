// The PostgreSQL back end, through libpqxx, for several servers sharing one database.
#pragma once

#include <memory>
#include <string>

#include "hall/store/store.h"

namespace kestal::hall {

// Connects to the libpq URI `uri` and brings the schema up to date.
std::unique_ptr<Store> openPostgresStore(const std::string& uri);

}  // namespace kestal::hall
