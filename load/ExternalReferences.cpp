#include "load/ExternalReferences.h"

#include "dxf/DxfReader.h"
#include "load/ExternalFiles.h"
#include "load/LoadDrawing.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace orvanta {

namespace {

// Block-type flags of the BLOCK entity (DXF reference, BLOCK group codes).
constexpr std::int16_t ExternalReference = 4;
constexpr std::int16_t Overlay = 8;
constexpr std::int16_t DependsOnReference = 16;
constexpr std::int16_t ResolvedReference = 32;

// Copies the model and the blocks of a referenced drawing into the block tables of another.
class Merger {
  public:
    Merger(Drawing& host, const std::string& name, const Drawing& reference,
           const std::string& referencePath)
        : host_(host), reference_(reference), prefix_(name + "|"), block_(host.name(name)),
          clipOffset_(static_cast<std::int32_t>(host.ClipAry.size())),
          imageOffset_(static_cast<std::int32_t>(host.ImageDefAry.size())) {
        // A reference's images lie beside the reference: each file is looked for there, and
        // what is found is named by its path, which the drawing's own lookup takes as it stands.
        for (TImageDef def : reference.ImageDefAry) {
            if (!referencePath.empty())
                if (auto found = FindExternalFile(referencePath, def.fileName))
                    def.fileName = *found;
            host.ImageDefAry.push_back(std::move(def));
        }
    }

    void run() {
        blocks();
        layers();
        records<TAcadLineBlk>();
        records<TCircleBlk>();
        records<TArcBlk>();
        records<TInsertBlk>();
        records<TTextBlk>();
        records<TFaceBlk>();
        records<TEllipseBlk>();
        records<TSolidBlk>();
        records<TLeaderBlk>();
        records<TPointBlk>();
        records<TSplineBlk>();
        records<THatchBlk>();
        records<TFillBlk>();
        records<TRayBlk>();
        records<TWipeoutBlk>();
        records<TMLeaderBlk>();
        records<TImageBlk>();
        polylines(false);
        polylines(true);
        dimensions();
        host_.ClipAry.insert(host_.ClipAry.end(), reference_.ClipAry.begin(),
                             reference_.ClipAry.end());
    }

  private:
    // The referenced drawing's blocks under their new names. Its model and paper space blocks
    // are not brought: the model is the reference's own block, and paper space is not part of
    // what a reference shows.
    void blocks() {
        std::unordered_set<std::string> added;
        std::vector<TBlockBlk> brought;
        for (const TBlockBlk& block : reference_.BlockAry) {
            if (IsPaperSpaceBlock(block.name) || SameTableName(block.name, "*Model_Space"))
                continue;
            if (kept_.count(block.name)) continue;
            const Name name = rename(block.name);
            kept_.emplace(block.name, name);
            TBlockBlk& copy = brought.emplace_back(block);
            copy.name = name.str();
            if (!block.layer.empty() && block.layer != "0") copy.layer = prefix_ + block.layer;
            // A reference resolved inside the referenced file is now a block it brings.
            copy.code70 = static_cast<std::int16_t>((block.code70 & ~ExternalReference) |
                                                    DependsOnReference | ResolvedReference);
            added.insert(copy.name);
        }
        // A block of the same name that the drawing keeps for the reference (empty, as CAD
        // programs write them) gives way to the block itself.
        std::erase_if(host_.BlockAry,
                      [&](const TBlockBlk& block) { return added.count(block.name) > 0; });
        host_.BlockAry.insert(host_.BlockAry.end(), brought.begin(), brought.end());
    }

    void layers() {
        std::unordered_set<std::string_view> present;
        for (const TLayer& layer : host_.LayerAry)
            present.insert(layer.Name);
        std::unordered_set<std::string> added;
        std::vector<TLayer> brought;
        for (const TLayer& layer : reference_.LayerAry) {
            if (layer.Name == "0") continue;
            TLayer copy = layer;
            copy.Name = prefix_ + layer.Name;
            if (present.count(copy.Name) || !added.insert(copy.Name).second) continue;
            brought.push_back(std::move(copy));
        }
        host_.LayerAry.insert(host_.LayerAry.end(), std::make_move_iterator(brought.begin()),
                              std::make_move_iterator(brought.end()));
    }

    // "NAME|BLOCK"; an anonymous block stays anonymous: "*NAME|D1" for "*D1".
    Name rename(std::string_view block) {
        if (block.empty()) return Name();
        if (block[0] == '*') return host_.name("*" + prefix_ + std::string(block.substr(1)));
        return host_.name(prefix_ + std::string(block));
    }

    // The referenced drawing's layer "0" is the layer "0" of the drawing that shows it, so its
    // entities take the reference's layer as those of any block do.
    Name layer(const Name& name) {
        if (name.empty() || name == "0") return host_.name(name);
        auto [it, fresh] = layers_.try_emplace(&name.str());
        if (fresh) it->second = host_.name(prefix_ + name.str());
        return it->second;
    }

    // The new name of a block the reference brings; null for blocks it does not bring.
    const Name* kept(const Name& block) const {
        const auto it = kept_.find(block.str());
        return it == kept_.end() ? nullptr : &it->second;
    }

    // A name of the referenced drawing in the drawing's own name table.
    Name own(const Name& name) {
        auto [it, fresh] = names_.try_emplace(&name.str());
        if (fresh) it->second = host_.name(name);
        return it->second;
    }

    // An extrusion direction of the referenced drawing in the drawing's own table.
    Extrusion own(const Extrusion& extrusion) { return host_.extrusion(extrusion); }

    template <class Record> void adopt(Record& r, const Name& bname) {
        r.bname = bname;
        r.layer = layer(r.layer);
        if constexpr (requires { r.ltype; }) r.ltype = own(r.ltype);
        if constexpr (requires { r.code210.point(); }) r.code210 = own(r.code210);
        if constexpr (std::is_same_v<Record, TInsertBlk>) {
            const Name* target = kept(r.name);
            r.name = target ? *target : rename(r.name);
            if (r.clip != NoClip) r.clip += clipOffset_;
        }
        if constexpr (std::is_same_v<Record, TImageBlk>)
            if (r.def >= 0) r.def += imageOffset_;
        if constexpr (std::is_same_v<Record, TTextBlk>)
            if (r.tag != 0) r.tag = tag(r.tag);
    }

    // The host's index of a tag of the reference, found or added once per tag.
    std::uint16_t tag(std::uint16_t index) {
        auto [it, fresh] = tags_.try_emplace(index, 0);
        if (!fresh) return it->second;
        const std::string& name = reference_.TagAry.at(index).str();
        for (std::size_t i = 1; i < host_.TagAry.size() && it->second == 0; ++i)
            if (host_.TagAry[i].str() == name) it->second = static_cast<std::uint16_t>(i);
        if (it->second == 0 && host_.TagAry.size() <= 0xFFFF) {
            host_.TagAry.push_back(host_.name(name));
            it->second = static_cast<std::uint16_t>(host_.TagAry.size() - 1);
        }
        return it->second;
    }

    template <class Record> void records() {
        auto& to = RecordTable<Record>(host_, true);
        ReserveMore(to, RecordTable<Record>(reference_, false).size() +
                            RecordTable<Record>(reference_, true).size());
        for (const Record& r : RecordTable<Record>(reference_, false))
            if (r.code67 == 0) adopt(to.emplace_back(r), block_);
        for (const Record& r : RecordTable<Record>(reference_, true))
            if (const Name* bname = kept(r.bname)) adopt(to.emplace_back(r), *bname);
    }

    // Polylines name their vertices by ihand, their own index in their table: the copies get new
    // ones, and their vertices and faces follow them in order.
    void polylines(bool inBlock) {
        const auto& headers = RecordTable<TLwpBlk>(reference_, inBlock);
        if (headers.empty()) return;
        std::unordered_map<std::int32_t, std::int32_t> ihands;
        for (const TLwpBlk& h : headers) {
            const Name* bname = inBlock ? kept(h.bname) : (h.code67 == 0 ? &block_ : nullptr);
            if (!bname) continue;
            TLwpBlk& copy = host_.BlkLwpAry.emplace_back(h);
            copy.ihand = static_cast<std::int32_t>(host_.BlkLwpAry.size() - 1);
            adopt(copy, *bname);
            ihands.emplace(h.ihand, copy.ihand);
        }
        const auto follow = [&](const auto& from, auto& to) {
            for (const auto& v : from)
                if (const auto it = ihands.find(v.ihand); it != ihands.end())
                    to.emplace_back(v).ihand = it->second;
        };
        follow(RecordTable<TLwpEle>(reference_, inBlock), host_.BlkLwpEleAry);
        follow(RecordTable<TPolyfaceEle>(reference_, inBlock), host_.BlkPolyfaceAry);
    }

    // A dimension of the model becomes, as one inside a block does when it is read, an INSERT
    // of its picture's block at the block's origin.
    void dimensions() {
        for (const TDimensionBlk& dimension : reference_.DimensionAry) {
            if (dimension.code67 != 0 || dimension.dimblkName.empty()) continue;
            TInsertBlk& insert = host_.BlkInsertAry.emplace_back();
            static_cast<EntityCommon&>(insert) = dimension;
            insert.name = dimension.dimblkName;
            adopt(insert, block_);
        }
    }

    Drawing& host_;
    const Drawing& reference_;
    std::string prefix_;
    Name block_;
    std::int32_t clipOffset_;
    std::int32_t imageOffset_;
    // Keyed by the referenced drawing's names, which outlive the merge.
    std::unordered_map<std::string_view, Name> kept_;
    std::unordered_map<const std::string*, Name> layers_;
    std::unordered_map<const std::string*, Name> names_;
    // The reference's tag indices and the host's.
    std::unordered_map<std::uint16_t, std::uint16_t> tags_;
};

// Reads referenced files, each once, and resolves their own references before they are merged.
class Resolver {
  public:
    explicit Resolver(const LoadOptions& options) : options_(options) {}

    void resolve(Drawing& d, const std::string& path, const std::string& key, int depth) {
        // An overlay is shown only in the drawing that references it, not in the drawings that
        // reference that one in turn.
        std::vector<std::size_t> references;
        for (std::size_t i = 0; i < d.BlockAry.size(); ++i) {
            const TBlockBlk& block = d.BlockAry[i];
            if (IsExternalReference(block) && (depth == 0 || (block.code70 & Overlay) == 0))
                references.push_back(i);
        }
        if (references.empty()) return;
        open_.push_back(key);
        for (const std::size_t i : references) {
            // Merging adds blocks: the reference's own record is copied first.
            const TBlockBlk block = d.BlockAry[i];
            MissingReference missing{block.name, block.xrefPath};
            const std::optional<std::string> found = FindExternalFile(path, block.xrefPath);
            const std::string file = found ? KeyOf(*found) : std::string();
            if (!found) {
                missing.problem = ReferenceProblem::NotFound;
            } else if (std::find(open_.begin(), open_.end(), file) != open_.end()) {
                missing.problem = ReferenceProblem::Cycle;
            } else if (depth >= MaxReferenceDepth) {
                missing.problem = ReferenceProblem::TooDeep;
            } else {
                const File& referenced = load(*found, file, depth + 1);
                if (!referenced.drawing) {
                    missing.problem = referenced.problem;
                    missing.detail = referenced.detail;
                } else if (const std::size_t size = ReferenceSize(*referenced.drawing);
                           size > budget_) {
                    missing.problem = ReferenceProblem::TooLarge;
                } else {
                    budget_ -= size;
                    MergeReference(d, block.name, *referenced.drawing, *found);
                    continue;
                }
            }
            missing_.push_back(std::move(missing));
        }
        open_.pop_back();
    }

    std::vector<MissingReference> takeMissing() { return std::move(missing_); }

    // The same file by whatever path it was reached.
    static std::string KeyOf(const std::string& path) {
        std::error_code error;
        const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
        return error ? path : canonical.string();
    }

  private:
    struct File {
        std::unique_ptr<Drawing> drawing; // null when it could not be read
        ReferenceProblem problem = ReferenceProblem::Unreadable;
        std::string detail;
    };

    const File& load(const std::string& path, const std::string& key, int depth) {
        // The map's nodes stay where they are while the references below add files.
        auto [it, fresh] = files_.try_emplace(key);
        File& file = it->second;
        if (!fresh) return file;
        LoadedDrawing read;
        std::string working;
        try {
            if (!ReadDrawingFile(path, options_, read, working)) {
                file.problem = ReferenceProblem::NotConverted;
                return file;
            }
        } catch (const DxfReadError& e) {
            file.detail = FailureOf(e).message();
            return file;
        } catch (const LoadFailed& e) {
            file.detail = e.failure().message();
            return file;
        } catch (const SilentAbort& e) {
            file.detail = e.what();
            return file;
        }
        resolve(read.drawing, path, key, depth);
        file.drawing = std::make_unique<Drawing>(std::move(read.drawing));
        return file;
    }

    const LoadOptions& options_;
    std::unordered_map<std::string, File> files_;
    std::vector<std::string> open_;
    std::vector<MissingReference> missing_;
    std::size_t budget_ = MaxReferencedRecords;
};

} // namespace

bool IsExternalReference(const TBlockBlk& block) {
    if (block.xrefPath.empty()) return false;
    return (block.code70 & ExternalReference) != 0 ||
           ((block.code70 & ResolvedReference) != 0 && (block.code70 & DependsOnReference) == 0);
}

std::size_t ReferenceSize(const Drawing& r) {
    return r.LineAry.size() + r.CircleAry.size() + r.ArcAry.size() + r.InsertAry.size() +
           r.LwpAry.size() + r.LwpEleAry.size() + r.TextAry.size() + r.FaceAry.size() +
           r.EllipseAry.size() + r.DimensionAry.size() + r.SolidAry.size() + r.LeaderAry.size() +
           r.ModelSolidAry.size() + r.PointAry.size() + r.SplineAry.size() + r.HatchAry.size() +
           r.FillAry.size() + r.RayAry.size() + r.WipeoutAry.size() + r.PolyfaceAry.size() +
           r.BlkPolyfaceAry.size() + r.BlkRayAry.size() + r.BlkPointAry.size() +
           r.BlkSplineAry.size() + r.MLeaderAry.size() + r.BlkMLeaderAry.size() +
           r.BlkEllipseAry.size() + r.BlkFaceAry.size() + r.BlkLeaderAry.size() +
           r.BlkHatchAry.size() + r.BlkFillAry.size() + r.BlkLineAry.size() +
           r.BlkCircleAry.size() + r.BlkArcAry.size() + r.BlkInsertAry.size() + r.BlkLwpAry.size() +
           r.BlkLwpEleAry.size() + r.BlkTextAry.size() + r.BlkWipeoutAry.size() +
           r.BlockAry.size() + r.LayerAry.size() + r.ClipAry.size() + r.ImageAry.size() +
           r.BlkImageAry.size() + r.ImageDefAry.size();
}

void MergeReference(Drawing& drawing, const std::string& name, const Drawing& reference,
                    const std::string& referencePath) {
    Merger(drawing, name, reference, referencePath).run();
}

std::vector<MissingReference> ResolveExternalReferences(Drawing& drawing, const std::string& path,
                                                        const LoadOptions& options) {
    Resolver resolver(options);
    resolver.resolve(drawing, path, Resolver::KeyOf(path), 0);
    return resolver.takeMissing();
}

} // namespace orvanta
