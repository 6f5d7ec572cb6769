#include "rivulet/study/StoredFits.h"

#include "lum/db/DbTransaction.h"
#include "lum/db/SqliteDb.h"
#include "lum/estimation/DenseMatrix.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ParameterStructure.h"

#include <QDataStream>
#include <QSqlQuery>
#include <QVariant>

#include <memory>
#include <stdexcept>

namespace rivulet {

namespace {

// Advanced whenever the encoding of a model's fit changes; fits of another format are stale.
constexpr int fitFormat = 1;
constexpr QDataStream::Version streamVersion = QDataStream::Qt_5_9;

enum CovarianceLayout : qint32
{
    NoMatrix = 0,
    Dense = 1,
    Blocks = 2
};

QString runTable()
{
    return RivuletDb::fitRunTable();
}

QString modelsTable()
{
    return RivuletDb::fittedModelsTable();
}

lum::Expected<void> createTables(lum::SqliteDb& db)
{
    if (lum::Expected<void> created =
            db.exec(QStringLiteral("create table if not exists ") + runTable() +
                    QStringLiteral(" (id integer primary key check (id = 1), "
                                   "fingerprint blob not null, chat real not null, "
                                   "format integer not null)"));
        !created)
        return created;
    // A row per model of the run in recording order; a model that was not recorded has its
    // reason and no fit.
    return db.exec(QStringLiteral("create table if not exists ") + modelsTable() +
                   QStringLiteral(" (position integer primary key, capture_code integer not "
                                  "null, survival_code integer not null, log_likelihood real, "
                                  "aic real, failure text, fit blob)"));
}

lum::Expected<void> deleteRows(lum::SqliteDb& db)
{
    const QStringList tables = db.tables();
    for (const QString& table : {runTable(), modelsTable()}) {
        if (!tables.contains(table))
            continue;
        if (lum::Expected<void> deleted = db.exec(QStringLiteral("delete from ") + table); !deleted)
            return deleted;
    }
    return {};
}

void writeSummary(QDataStream& out, const FitSummary& summary)
{
    out << static_cast<qint32>(summary.ending) << summary.message
        << static_cast<qint32>(summary.iterations) << static_cast<qint64>(summary.evaluations)
        << summary.logLikelihood << static_cast<qint32>(summary.informedParameters);
    out << static_cast<quint32>(summary.blocks.size());
    for (const BlockCovariance& block : summary.blocks) {
        out << static_cast<qint32>(block.status) << block.message
            << static_cast<qint32>(block.atBound) << static_cast<qint32>(block.notEstimable);
        out << static_cast<quint32>(block.parameters.size());
        for (const int p : block.parameters)
            out << static_cast<qint32>(p);
    }
    out << static_cast<quint32>(summary.estimates.size());
    for (const EstimateStatus status : summary.estimates)
        out << static_cast<qint32>(status);
    out << static_cast<quint32>(summary.profiles.size());
    for (const ProfileInterval& profile : summary.profiles)
        out << static_cast<qint32>(profile.parameter) << profile.lower << profile.upper;
}

// A count read from the file, refused when the rest of the payload cannot hold it.
bool readCount(QDataStream& in, quint32& count, int itemBytes)
{
    in >> count;
    return in.status() == QDataStream::Ok &&
           static_cast<qint64>(count) * itemBytes <= in.device()->bytesAvailable();
}

bool readSummary(QDataStream& in, FitSummary& summary)
{
    qint32 ending = 0;
    qint32 iterations = 0;
    qint64 evaluations = 0;
    qint32 informed = 0;
    in >> ending >> summary.message >> iterations >> evaluations >> summary.logLikelihood >>
        informed;
    if (ending < 0 || ending > static_cast<qint32>(FitEnding::Failed))
        return false;
    summary.ending = static_cast<FitEnding>(ending);
    summary.iterations = iterations;
    summary.evaluations = evaluations;
    summary.informedParameters = informed;
    quint32 count = 0;
    if (!readCount(in, count, 16))
        return false;
    summary.blocks.resize(count);
    for (BlockCovariance& block : summary.blocks) {
        qint32 status = 0;
        qint32 atBound = 0;
        qint32 notEstimable = 0;
        in >> status >> block.message >> atBound >> notEstimable;
        if (status < 0 || status > static_cast<qint32>(CovarianceStatus::Reduced))
            return false;
        block.status = static_cast<CovarianceStatus>(status);
        block.atBound = atBound;
        block.notEstimable = notEstimable;
        quint32 parameters = 0;
        if (!readCount(in, parameters, 4))
            return false;
        block.parameters.resize(parameters);
        for (int& p : block.parameters) {
            qint32 value = 0;
            in >> value;
            p = value;
        }
    }
    if (!readCount(in, count, 4))
        return false;
    summary.estimates.resize(count);
    for (EstimateStatus& status : summary.estimates) {
        qint32 value = 0;
        in >> value;
        if (value < 0 || value > static_cast<qint32>(EstimateStatus::NotEstimable))
            return false;
        status = static_cast<EstimateStatus>(value);
    }
    if (!readCount(in, count, 20))
        return false;
    summary.profiles.resize(count);
    for (ProfileInterval& profile : summary.profiles) {
        qint32 parameter = 0;
        in >> parameter >> profile.lower >> profile.upper;
        profile.parameter = parameter;
    }
    return in.status() == QDataStream::Ok;
}

// A block-diagonal covariance is kept block by block (the blocks of the fit summary), as it is
// held: the whole square of a model fitted in many blocks would be mostly zeros.
void writeCovariance(QDataStream& out, const lum::DenseMatrix* covariance,
                     const FitSummary& summary)
{
    if (!covariance) {
        out << static_cast<qint32>(NoMatrix);
        return;
    }
    if (covariance->isBlockDiagonal()) {
        out << static_cast<qint32>(Blocks) << static_cast<qint32>(covariance->rows())
            << static_cast<quint32>(summary.blocks.size());
        for (const BlockCovariance& block : summary.blocks) {
            out << static_cast<quint32>(block.parameters.size());
            for (const int p : block.parameters)
                out << static_cast<qint32>(p);
            for (const int i : block.parameters) {
                for (const int j : block.parameters)
                    out << (*covariance)(i, j);
            }
        }
        return;
    }
    out << static_cast<qint32>(Dense) << static_cast<qint32>(covariance->rows())
        << static_cast<qint32>(covariance->columns());
    for (int r = 0; r < covariance->rows(); ++r) {
        for (int c = 0; c < covariance->columns(); ++c)
            out << (*covariance)(r, c);
    }
}

bool readCovariance(QDataStream& in, std::unique_ptr<lum::DenseMatrix>& covariance)
{
    qint32 layout = NoMatrix;
    in >> layout;
    if (layout == NoMatrix)
        return in.status() == QDataStream::Ok;
    qint32 rows = 0;
    in >> rows;
    if (rows < 0)
        return false;
    if (layout == Dense) {
        qint32 columns = 0;
        in >> columns;
        if (columns < 0 || static_cast<qint64>(rows) * columns * 8 > in.device()->bytesAvailable())
            return false;
        covariance = std::make_unique<lum::DenseMatrix>(rows, columns);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                in >> (*covariance)(r, c);
        }
        return in.status() == QDataStream::Ok;
    }
    if (layout != Blocks)
        return false;
    quint32 count = 0;
    if (!readCount(in, count, 4))
        return false;
    std::vector<std::vector<int>> blocks(count);
    std::vector<lum::DenseMatrix> values;
    values.reserve(count);
    for (std::vector<int>& block : blocks) {
        quint32 size = 0;
        if (!readCount(in, size, 4))
            return false;
        block.resize(size);
        for (int& p : block) {
            qint32 value = 0;
            in >> value;
            p = value;
        }
        if (static_cast<qint64>(size) * size * 8 > in.device()->bytesAvailable())
            return false;
        lum::DenseMatrix square(static_cast<int>(size), static_cast<int>(size));
        for (int i = 0; i < square.rows(); ++i) {
            for (int j = 0; j < square.columns(); ++j)
                in >> square(i, j);
        }
        values.push_back(std::move(square));
    }
    if (in.status() != QDataStream::Ok)
        return false;
    try {
        covariance = std::make_unique<lum::DenseMatrix>(
            lum::DenseMatrix::blockDiagonal(rows, blocks, values));
    } catch (const std::invalid_argument&) {
        return false;
    }
    return true;
}

QByteArray encodeFit(const EstimationResults& results, int i)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    const std::vector<double>& estimates = results.estimates(i);
    out << static_cast<quint32>(estimates.size());
    for (const double x : estimates)
        out << x;
    const FitSummary& summary = results.result(i).summary;
    writeCovariance(out, results.covariance(i), summary);
    writeSummary(out, summary);
    return bytes;
}

} // namespace

lum::Expected<bool> StoredFits::save(const QByteArray& fingerprint,
                                     const EstimationResults& results) const
{
    lum::SqliteDb* db = m_rdb.database();
    if (fingerprint.isEmpty() || db == nullptr || !db->isOpen())
        return false;
    const auto refused = [](const lum::Expected<void>& stored) { return stored.error(); };
    lum::DbTransaction transaction(*db);
    if (!transaction.begun())
        return refused(transaction.begun());
    // Inside the transaction: fits of data that changed meanwhile are not kept.
    if (DerivedDataStore(m_rdb).fingerprint() != fingerprint)
        return false;
    if (lum::Expected<void> created = createTables(*db); !created)
        return refused(created);
    if (lum::Expected<void> deleted = deleteRows(*db); !deleted)
        return refused(deleted);
    if (lum::Expected<void> stored =
            db->exec(QStringLiteral("insert into ") + runTable() +
                         QStringLiteral(" (id, fingerprint, chat, format) values (1, ?, ?, ?)"),
                     {fingerprint, results.varianceInflation(), fitFormat});
        !stored)
        return refused(stored);
    const QString insert = QStringLiteral("insert into ") + modelsTable() +
                           QStringLiteral(" (position, capture_code, survival_code, "
                                          "log_likelihood, aic, failure, fit) values "
                                          "(?, ?, ?, ?, ?, ?, ?)");
    int position = 0;
    for (int i = 0; i < results.count(); ++i) {
        const EquatingScheme scheme = results.scheme(i);
        if (lum::Expected<void> stored =
                db->exec(insert, {position++, scheme.captureCode, scheme.survivalCode,
                                  results.logLikelihood(i), results.aic(i),
                                  QVariant(QVariant::String), encodeFit(results, i)});
            !stored)
            return refused(stored);
    }
    for (const auto& [scheme, reason] : results.failures()) {
        if (lum::Expected<void> stored =
                db->exec(insert, {position++, scheme.captureCode, scheme.survivalCode,
                                  QVariant(QVariant::Double), QVariant(QVariant::Double), reason,
                                  QVariant(QVariant::ByteArray)});
            !stored)
            return refused(stored);
    }
    if (lum::Expected<void> committed = transaction.commit(); !committed)
        return refused(committed);
    return true;
}

StoredFits::Outcome StoredFits::load(const QByteArray& fingerprint, const ModelCatalogue& catalogue,
                                     EstimationResults& results) const
{
    results.clear();
    lum::SqliteDb* db = m_rdb.database();
    if (db == nullptr || !db->isOpen())
        return None;
    const QStringList tables = db->tables();
    if (!tables.contains(runTable()) || !tables.contains(modelsTable()))
        return None;
    const lum::DbReadTransaction oneState(db);
    QSqlQuery run(db->db());
    run.setForwardOnly(true);
    if (!run.exec(QStringLiteral("select fingerprint, chat, format from ") + runTable()) ||
        !run.next())
        return None;
    const auto stale = [this, &results] {
        results.clear();
        forget();
        return Stale;
    };
    if (fingerprint.isEmpty() || run.value(0).toByteArray() != fingerprint ||
        run.value(2).toInt() != fitFormat)
        return stale();
    results.setVarianceInflation(run.value(1).toDouble());

    QSqlQuery models(db->db());
    models.setForwardOnly(true);
    if (!models.exec(QStringLiteral("select capture_code, survival_code, log_likelihood, aic, "
                                    "failure, fit from ") +
                     modelsTable() + QStringLiteral(" order by position")))
        return stale();
    const ParameterStructure base(results.releasesController(), results.sitesController(),
                                  results.yearsController());
    while (models.next()) {
        const EquatingScheme scheme{models.value(0).toInt(), models.value(1).toInt()};
        if (models.value(5).isNull()) {
            results.recordFailure(scheme, models.value(4).toString());
            continue;
        }
        const QByteArray bytes = models.value(5).toByteArray();
        QDataStream in(bytes);
        in.setVersion(streamVersion);
        quint32 count = 0;
        if (!readCount(in, count, 8))
            return stale();
        std::vector<double> estimates(count);
        for (double& x : estimates)
            in >> x;
        std::unique_ptr<lum::DenseMatrix> covariance;
        FitSummary summary;
        if (!readCovariance(in, covariance) || !readSummary(in, summary))
            return stale();
        auto structure = std::make_unique<ParameterStructure>(base);
        catalogue.applyModel(scheme.captureCode, scheme.survivalCode, *structure);
        // The model applied to these data must have the parameters that were fitted.
        const auto n = static_cast<int>(estimates.size());
        if (structure->numFree() != n ||
            (covariance && (covariance->rows() != n || covariance->columns() != n)))
            return stale();
        results.record(scheme, models.value(2).toDouble(), models.value(3).toDouble(),
                       std::move(estimates), std::move(covariance), std::move(structure),
                       std::move(summary));
    }
    return Read;
}

bool StoredFits::forget() const
{
    lum::SqliteDb* db = m_rdb.database();
    if (db == nullptr || !db->isOpen())
        return false;
    return deleteRows(*db).ok();
}

} // namespace rivulet
