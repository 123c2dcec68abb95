#include "ui/DBClient.h"

#include <algorithm>
#include <iterator>

#include "base/Exception.h"
#include "base/Text.h"
#include "ui/Utf8.h"

// ---- TField

const std::string& TField::DisplayLabel() const {
    return def_.DisplayLabel.empty() ? def_.Name : def_.DisplayLabel;
}

std::string TField::AsString() const {
    const TClientDataSet& ds = dataSet_;
    if (ds.Pending()) return ds.buffer_[static_cast<std::size_t>(index_)];
    if (ds.state_ == dsBrowse && ds.current_ != ds.records_.end()) return (*ds.current_)[static_cast<std::size_t>(index_)];
    return {};
}

void TField::SetAsString(std::string_view value) {
    TClientDataSet& ds = dataSet_;
    if (!ds.Pending())
        throw Exception("Zbiór danych nie jest w trybie edycji lub wstawiania");
    std::string cut = LeftChars(value, def_.Size);
    std::string& slot = ds.buffer_[static_cast<std::size_t>(index_)];
    ds.modified_ = true;
    if (slot == cut) return;
    slot = std::move(cut);
    ds.DataChanged();
}

// ---- TClientDataSet

TClientDataSet::TClientDataSet() : current_(records_.end()), beforeEdit_(records_.end()) {}

TClientDataSet::~TClientDataSet() {
    auto links = links_;
    for (TDataLink* link : links) link->DataSetDestroying();
}

void TClientDataSet::AddFieldDef(TFieldDef def) {
    if (Active()) throw Exception("Nie można wykonać tej operacji na otwartym zbiorze danych");
    fieldDefs_.push_back(std::move(def));
}

void TClientDataSet::SetPrimaryIndex(std::string fieldName) {
    if (Active()) throw Exception("Nie można wykonać tej operacji na otwartym zbiorze danych");
    indexField_ = std::move(fieldName);
}

void TClientDataSet::CreateDataSet() {
    if (fieldDefs_.empty()) throw Exception("Brak definicji pól");
    std::vector<std::unique_ptr<TField>> fields;
    for (std::size_t i = 0; i < fieldDefs_.size(); ++i)
        fields.push_back(std::unique_ptr<TField>(new TField(*this, fieldDefs_[i], static_cast<int>(i))));
    if (!indexField_.empty() &&
        std::none_of(fields.begin(), fields.end(), [&](const auto& f) { return SameText(f->FieldName(), indexField_); }))
        throw Exception(Format("Nie znaleziono pola '%s'", {indexField_}));
    fields_ = std::move(fields);
    keyColumn_ = -1;
    if (const TField* key = indexField_.empty() ? nullptr : FindField(indexField_)) keyColumn_ = key->Index();
    Clear();
    DataChanged();
}

void TClientDataSet::Clear() {
    records_.clear();
    index_.clear();
    buffer_.clear();
    state_ = dsBrowse;
    current_ = beforeEdit_ = records_.end();
    modified_ = false;
    eof_ = true;
}

TField* TClientDataSet::FindField(std::string_view name) const {
    for (const auto& field : fields_)
        if (SameText(field->FieldName(), name)) return field.get();
    return nullptr;
}

TField& TClientDataSet::FieldByName(std::string_view name) const {
    if (TField* field = FindField(name)) return *field;
    throw Exception(Format("Nie znaleziono pola '%s'", {name}));
}

void TClientDataSet::CheckActive() const {
    if (!Active()) throw Exception("Nie można wykonać tej operacji na zamkniętym zbiorze danych");
}

// Leaving a pending record keeps it when it was changed, drops it otherwise.
void TClientDataSet::CheckBrowseMode() {
    CheckActive();
    if (Pending()) {
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TClientDataSet::First() {
    CheckBrowseMode();
    current_ = records_.begin();
    eof_ = records_.empty();
    DataChanged();
}

void TClientDataSet::Next() {
    CheckBrowseMode();
    if (current_ != records_.end() && std::next(current_) != records_.end()) {
        ++current_;
        eof_ = false;
        DataChanged();
    } else {
        eof_ = true;
    }
}

bool TClientDataSet::Locate(std::string_view fieldName, std::string_view value) {
    CheckActive();
    const auto column = static_cast<std::size_t>(FieldByName(fieldName).Index());
    CheckBrowseMode();
    for (auto at = records_.begin(); at != records_.end(); ++at) {
        if ((*at)[column] != value) continue;
        current_ = at;
        eof_ = false;
        DataChanged();
        return true;
    }
    return false;
}

void TClientDataSet::Append() {
    CheckBrowseMode();
    StartNewRecord();
}

void TClientDataSet::StartNewRecord() {
    beforeEdit_ = records_.empty() ? records_.end() : std::prev(records_.end());
    buffer_.assign(fields_.size(), std::string());
    state_ = dsInsert;
    eof_ = false;
    DataChanged();
    try {
        if (OnNewRecord) OnNewRecord(*this);
    } catch (...) {
        // A failed start leaves no half-made record behind.
        Cancel();
        throw;
    }
    // Defaults set by the handler are not the user's change.
    modified_ = false;
}

void TClientDataSet::Edit() {
    CheckActive();
    if (Pending()) return;
    if (records_.empty()) {
        StartNewRecord();
        return;
    }
    if (current_ == records_.end()) current_ = records_.begin();
    buffer_ = *current_;
    state_ = dsEdit;
    modified_ = false;
    DataChanged();
    if (AfterEdit) AfterEdit(*this);
}

// Where a record with this key goes: before the first stored key above it.
TClientDataSet::TRecordPos TClientDataSet::StorePosition(TIndex::iterator above) {
    return above == index_.end() ? records_.end() : above->second;
}

void TClientDataSet::Post() {
    CheckActive();
    if (!Pending()) return;
    for (const auto& field : fields_)
        if (field->Required() && buffer_[static_cast<std::size_t>(field->Index())].empty())
            throw Exception(Format("Pole '%s' musi posiadać wartość", {field->DisplayLabel()}));

    if (keyColumn_ >= 0) {
        const auto column = static_cast<std::size_t>(keyColumn_);
        std::string key = UpperCase(buffer_[column]);
        auto at = index_.lower_bound(key);
        const bool taken = at != index_.end() && at->first == key;
        if (taken && !(state_ == dsEdit && at->second == current_)) throw Exception("Key violation.");
        if (state_ == dsEdit) {
            if (!taken) {
                // The key changed: the record moves to its new place.
                index_.erase(UpperCase((*current_)[column]));
                at = index_.lower_bound(key);
                records_.splice(StorePosition(at), records_, current_);
                index_.emplace_hint(at, std::move(key), current_);
            }
            *current_ = std::move(buffer_);
        } else {
            current_ = records_.insert(StorePosition(at), std::move(buffer_));
            index_.emplace_hint(at, std::move(key), current_);
        }
    } else if (state_ == dsEdit) {
        *current_ = std::move(buffer_);
    } else {
        current_ = records_.insert(records_.end(), std::move(buffer_));
    }
    buffer_.clear();
    state_ = dsBrowse;
    modified_ = false;
    eof_ = false;
    DataChanged();
}

void TClientDataSet::Cancel() {
    CheckActive();
    if (!Pending()) return;
    if (state_ == dsInsert) current_ = beforeEdit_;
    if (current_ == records_.end()) current_ = records_.begin();
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    eof_ = records_.empty();
    DataChanged();
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    Clear();
    DataChanged();
}

void TClientDataSet::AddDataLink(TDataLink& link) {
    if (std::find(links_.begin(), links_.end(), &link) == links_.end()) links_.push_back(&link);
}

void TClientDataSet::RemoveDataLink(TDataLink& link) {
    links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
}

void TClientDataSet::EnableControls() {
    if (disabled_ > 0 && --disabled_ == 0) DataChanged();
}

void TClientDataSet::DataChanged() {
    if (disabled_ > 0) return;
    auto links = links_;
    for (TDataLink* link : links) link->DataChanged();
}
