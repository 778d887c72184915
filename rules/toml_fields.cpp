#include "rules/toml_fields.h"

namespace quarnel::rules {

std::string FirstFailure::located(std::string_view source, const toml::source_region& where,
                                  std::string_view what) {
    return std::string(source) + ':' + std::to_string(where.begin.line) + ':' +
           std::to_string(where.begin.column) + ": " + std::string(what);
}

void FirstFailure::at(const toml::source_region& where, std::string_view what) {
    if (!reason_) {
        reason_ = located(source_, where, what);
    }
}

TableFields::TableFields(const toml::table& table, std::string path, FirstFailure& failure)
    : table_(table), path_(std::move(path)), failure_(failure) {}

std::string TableFields::keyPath(std::string_view key) const {
    return '"' + (path_.empty() ? std::string(key) : path_ + '.' + std::string(key)) + '"';
}

const toml::node* TableFields::node(std::string_view key) {
    asked_.emplace(key);
    return table_.get(key);
}

template <typename T>
const T* TableFields::typed(std::string_view key, std::string_view typeName) {
    const toml::node* found = node(key);
    if (found == nullptr) {
        return nullptr;
    }
    const T* value = found->as<T>();
    if (value == nullptr) {
        failAt(key, std::string("must be ") + std::string(typeName));
    }
    return value;
}

std::optional<std::string> TableFields::string(std::string_view key) {
    if (const auto* value = typed<toml::value<std::string>>(key, "a string")) {
        return value->get();
    }
    return std::nullopt;
}

std::string TableFields::requiredString(std::string_view key) {
    if (table_.get(key) == nullptr) {
        failAt(key, "is missing");
        return {};
    }
    return string(key).value_or(std::string());
}

bool TableFields::flag(std::string_view key) {
    const auto* value = typed<toml::value<bool>>(key, "true or false");
    return value != nullptr && value->get();
}

const toml::table* TableFields::table(std::string_view key) {
    return typed<toml::table>(key, "a table");
}

const toml::array* TableFields::array(std::string_view key) {
    return typed<toml::array>(key, "an array");
}

void TableFields::failAt(std::string_view key, std::string_view what) {
    const toml::node* found = table_.get(key);
    failure_.at(found != nullptr ? found->source() : table_.source(), keyPath(key) + ' ' + std::string(what));
}

void TableFields::check(std::string_view key, const Expected<Done>& result) {
    if (!result) {
        failAt(key, result.reason());
    }
}

void TableFields::failAtTable(std::string_view what) {
    failure_.at(table_.source(), (path_.empty() ? std::string("the profile") : '"' + path_ + '"') + ' ' +
                                     std::string(what));
}

void TableFields::rejectUnknownKeys() {
    for (const auto& [key, value] : table_) {
        if (!asked_.contains(key.str())) {
            failure_.at(key.source(), "unknown key " + keyPath(key.str()));
        }
    }
}

}  // namespace quarnel::rules
