#include "ui/DBClient.h"

#include <algorithm>

#include "platform/Exception.h"
#include "platform/Text.h"
#include "ui/Utf8.h"

// ---- TField

const std::string& TField::DisplayLabel() const {
    return def_.DisplayLabel.empty() ? def_.Name : def_.DisplayLabel;
}

std::string TField::AsString() const {
    const TClientDataSet& ds = dataSet_;
    if (ds.state_ == dsEdit || ds.state_ == dsInsert) return ds.buffer_[static_cast<std::size_t>(index_)];
    if (ds.state_ == dsBrowse && ds.current_ >= 0)
        return ds.records_[static_cast<std::size_t>(ds.current_)][static_cast<std::size_t>(index_)];
    return {};
}

void TField::SetAsString(std::string_view value) {
    TClientDataSet& ds = dataSet_;
    if (ds.state_ != dsEdit && ds.state_ != dsInsert)
        throw Exception("Zbiór danych nie jest w trybie edycji lub wstawiania");
    std::string cut = LeftChars(value, def_.Size);
    std::string& slot = ds.buffer_[static_cast<std::size_t>(index_)];
    ds.modified_ = true;
    if (slot == cut) return;
    slot = std::move(cut);
    ds.DataChanged();
}

// ---- TClientDataSet

TClientDataSet::TClientDataSet() = default;

TClientDataSet::~TClientDataSet() {
    auto links = links_;
    for (TDataLink* link : links) link->DataSetDestroying();
}

void TClientDataSet::AddFieldDef(TFieldDef def) {
    if (Active()) throw Exception("Nie można wykonać tej operacji na otwartym zbiorze danych");
    fieldDefs_.push_back(std::move(def));
}

void TClientDataSet::SetPrimaryIndex(std::string indexName, std::string fieldName) {
    if (Active()) throw Exception("Nie można wykonać tej operacji na otwartym zbiorze danych");
    indexName_ = std::move(indexName);
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
    records_.clear();
    buffer_.clear();
    state_ = dsBrowse;
    current_ = -1;
    modified_ = false;
    eof_ = bof_ = true;
    DataChanged();
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

int TClientDataSet::RecNo() const {
    if (state_ == dsInsert || current_ < 0) return -1;
    return current_ + 1;
}

void TClientDataSet::CheckActive() const {
    if (!Active()) throw Exception("Nie można wykonać tej operacji na zamkniętym zbiorze danych");
}

// Leaving a pending record keeps it when it was changed, drops it otherwise.
void TClientDataSet::CheckBrowseMode() {
    CheckActive();
    if (state_ == dsEdit || state_ == dsInsert) {
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TClientDataSet::First() {
    CheckBrowseMode();
    current_ = records_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = records_.empty();
    DataChanged();
}

void TClientDataSet::Last() {
    CheckBrowseMode();
    current_ = RecordCount() - 1;
    eof_ = true;
    bof_ = records_.empty();
    DataChanged();
}

void TClientDataSet::Next() {
    CheckBrowseMode();
    if (current_ + 1 < RecordCount()) {
        ++current_;
        bof_ = eof_ = false;
        DataChanged();
    } else {
        eof_ = true;
    }
}

void TClientDataSet::Prior() {
    CheckBrowseMode();
    if (current_ > 0) {
        --current_;
        bof_ = eof_ = false;
        DataChanged();
    } else {
        bof_ = true;
    }
}

bool TClientDataSet::Locate(std::string_view fieldName, std::string_view value) {
    CheckActive();
    const auto column = static_cast<std::size_t>(FieldByName(fieldName).Index());
    CheckBrowseMode();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (records_[i][column] != value) continue;
        current_ = static_cast<int>(i);
        bof_ = eof_ = false;
        DataChanged();
        return true;
    }
    return false;
}

void TClientDataSet::Append() {
    CheckBrowseMode();
    StartNewRecord(true);
}

void TClientDataSet::Insert() {
    CheckBrowseMode();
    StartNewRecord(false);
}

void TClientDataSet::StartNewRecord(bool append) {
    beforeEdit_ = append ? RecordCount() - 1 : current_;
    appending_ = append;
    buffer_.assign(fields_.size(), std::string());
    state_ = dsInsert;
    bof_ = eof_ = false;
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
    if (state_ == dsEdit || state_ == dsInsert) return;
    if (records_.empty()) {
        Insert();
        return;
    }
    if (current_ < 0) current_ = 0;
    buffer_ = records_[static_cast<std::size_t>(current_)];
    state_ = dsEdit;
    modified_ = false;
    DataChanged();
    if (AfterEdit) AfterEdit(*this);
}

int TClientDataSet::KeyField() const {
    if (indexField_.empty()) return -1;
    const TField* field = FindField(indexField_);
    return field ? field->Index() : -1;
}

int TClientDataSet::InsertPosition(const std::string& key) const {
    const auto column = static_cast<std::size_t>(KeyField());
    auto at = std::upper_bound(records_.begin(), records_.end(), key, [&](const std::string& k, const TRecord& r) {
        return CompareText(k, r[column]) < 0;
    });
    return static_cast<int>(at - records_.begin());
}

void TClientDataSet::Post() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) return;
    for (const auto& field : fields_)
        if (field->Required() && buffer_[static_cast<std::size_t>(field->Index())].empty())
            throw Exception(Format("Pole '%s' musi posiadać wartość", {field->DisplayLabel()}));

    const int keyField = KeyField();
    if (keyField >= 0) {
        const auto column = static_cast<std::size_t>(keyField);
        for (std::size_t i = 0; i < records_.size(); ++i) {
            if (state_ == dsEdit && static_cast<int>(i) == current_) continue;
            if (CompareText(records_[i][column], buffer_[column]) == 0) throw Exception("Key violation.");
        }
    }

    if (state_ == dsEdit) records_.erase(records_.begin() + current_);
    int position;
    if (keyField >= 0)
        position = InsertPosition(buffer_[static_cast<std::size_t>(keyField)]);
    else if (state_ == dsEdit)
        position = current_;
    else
        position = appending_ ? RecordCount() : std::max(beforeEdit_, 0);
    records_.insert(records_.begin() + position, std::move(buffer_));
    buffer_.clear();
    current_ = position;
    state_ = dsBrowse;
    modified_ = false;
    bof_ = eof_ = false;
    DataChanged();
}

void TClientDataSet::Cancel() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) return;
    if (state_ == dsInsert) current_ = std::min(beforeEdit_, RecordCount() - 1);
    if (current_ < 0 && !records_.empty()) current_ = 0;
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    bof_ = eof_ = records_.empty();
    DataChanged();
}

void TClientDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (state_ == dsEdit) Cancel();
    if (records_.empty()) throw Exception("Nie można wykonać tej operacji na pustym zbiorze danych");
    records_.erase(records_.begin() + current_);
    current_ = std::min(current_, RecordCount() - 1);
    bof_ = eof_ = records_.empty();
    DataChanged();
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    records_.clear();
    buffer_.clear();
    state_ = dsBrowse;
    current_ = -1;
    modified_ = false;
    bof_ = eof_ = true;
    DataChanged();
}

void TClientDataSet::AddDataLink(TDataLink& link) {
    if (std::find(links_.begin(), links_.end(), &link) == links_.end()) links_.push_back(&link);
}

void TClientDataSet::RemoveDataLink(TDataLink& link) {
    links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
}

void TClientDataSet::DataChanged() {
    auto links = links_;
    for (TDataLink* link : links) link->DataChanged();
}
