// The import sources, the import manager and the export manager against real files: the
// fixtures are written in the formats the program reads, the copies land in real stores.
#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <AgViolations.h>
#include <DBExportManager.h>
#include <DBImportManager.h>
#include <ImportFixtures.h>
#include <InstrumentConfig.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <SQLiteKIVDBImportSource.h>
#include <SQLiteZQDBImportSource.h>
#include <XMLZQDBImportSource.h>
#include <ZQExportParser.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ImportFixtures;

namespace {

const QString kInstrument = QStringLiteral("Studio");
const QString kSource = QStringLiteral("Main");

std::unique_ptr<AAgDataModel> freshStore(const QString &instrument, const QString &source)
{
    createDataFolder();
    const QString path = getAgDbFilePath(instrument, source);
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    auto model = std::make_unique<AAgDataModel>();
    InstrumentConfig ic(instrument);
    AgConfig ag(source);
    ic.setAgConfig(ag);
    model->init(0, ic, ag, false, QString());
    return model;
}

// Steps the manager as the audiogroup controller does until the import has ended.
bool runImport(DBImportManager &manager, AAgDataModel *store, int maxSteps = 100000)
{
    AgConfig agConfig(kSource);
    InstrumentConfig instrument(kInstrument);
    AgViolations violations;
    for (int i = 0; i < maxSteps && manager.isImporting(); ++i)
        manager.process(true, &instrument, &agConfig, store, &violations);
    manager.process(true, &instrument, &agConfig, store, &violations);
    return !manager.isImporting();
}

bool runExport(DBExportManager &manager, AAgDataModel *source, int maxSteps = 100000)
{
    for (int i = 0; i < maxSteps && !manager.isFinished(); ++i)
        manager.process(0, source);
    manager.process(0, source);
    return manager.isFinished();
}

} // namespace

class TestImportExport : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString file(const QString &name) const { return m_dir->filePath(name); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        m_dir.reset();
        QDir(getDataFolderPath()).removeRecursively();
    }

    void readsNeedAnOpenSource_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("own database") << 0;
        QTest::newRow("meter database") << 1;
        QTest::newRow("xml samples") << 2;
    }
    // Before a successful open every read answers -1, and a missing file is not created.
    void readsNeedAnOpenSource()
    {
        QFETCH(int, type);
        const QString missing = file(QStringLiteral("missing.db"));
        std::unique_ptr<ADBImportSource> source(
            DBImportManager::createSource(type, missing, nullptr));
        QVERIFY(source);
        int error = 0;
        QVERIFY(!source->read(1, 2, &error));
        QCOMPARE(error, -1);
        error = 0;
        QVERIFY(source->readEventRows(1, 2, &error).empty());
        QCOMPARE(error, -1);
        error = 0;
        QCOMPARE(source->firstTimestamp(&error), qint64(-1));
        QCOMPARE(error, -1);
        QCOMPARE(source->openSource(), -1);
        QVERIFY(!QFileInfo::exists(missing));
    }

    void importCopiesEverySample_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("own database") << "kiv";
        QTest::newRow("own database, values the meter gave as no number") << "kivnan";
        QTest::newRow("meter database 1.0, REAL timecodes") << "zq10";
        QTest::newRow("meter database without version, REAL timecodes") << "zqnone";
        QTest::newRow("meter database 1.1") << "zq11";
        QTest::newRow("meter XML export") << "xml";
        QTest::newRow("meter XML export out of time order") << "xmlshuffled";
        QTest::newRow("meter XML export read from its file") << "xmlfile";
        QTest::newRow("meter XML export out of time order, read from its file")
            << "xmlfileshuffled";
    }
    // Every sample arrives unchanged, in slices of 2 minutes; the own database brings its event
    // rows as they are, a meter's samples their program events.
    void importCopiesEverySample()
    {
        QFETCH(QString, kind);
        std::vector<AgData> data = samples(kT0, 2500, 100, 700);
        if (kind == QLatin1String("kivnan")) {
            for (size_t i = 0; i < data.size(); i += 10) {
                data[i].setTP(AgData::noValue());
                data[i].setM400ms(AgData::noValue());
                data[i].setI(AgData::noValue());
            }
        }
        const QString path = file(QStringLiteral("source.db"));
        DBImportManager manager;
        if (kind.startsWith(QLatin1String("kiv"))) {
            QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kSource, data));
            QCOMPARE(manager.startImport(5, 0, path), 0);
        } else if (kind.startsWith(QLatin1String("zq"))) {
            const MeterVersion version = kind == QLatin1String("zq10")   ? MeterVersion::V10
                                         : kind == QLatin1String("zq11") ? MeterVersion::V11
                                                                         : MeterVersion::None;
            QVERIFY(writeMeterDb(path, version, version != MeterVersion::V11, kInstrument,
                                 {kSource}, data));
            QCOMPARE(manager.startImport(5, 1, path), 0);
        } else if (kind.startsWith(QLatin1String("xmlfile"))) {
            // Around the end of the first slice the file holds 29.9 s, 30.0 s, then 29.8 s:
            // a read that took the file for ordered would store 29.9 s with the first slice
            // and then drop 29.8 s as older than the stored data.
            if (kind == QLatin1String("xmlfileshuffled"))
                std::rotate(data.begin() + 298, data.begin() + 299, data.begin() + 301);
            // Larger than the pieces the reader takes at a time.
            const QString xmlPath = file(QStringLiteral("export.xml"));
            QVERIFY(writeFile(xmlPath, exportXml(kInstrument, {kSource}, data).toUtf8()));
            QFile xml(xmlPath);
            QVERIFY(xml.open(QIODevice::ReadOnly));
            ZQExportParser parser;
            parser.parseFile(&xml);
            QVERIFY(parser.isValid());
            XmlSampleList list = parser.getSampleList(kSource);
            list.filePath = xmlPath;
            QCOMPARE(list.count, qint64(data.size()));
            QCOMPARE(manager.startXmlStreamImport(5, list, 2), 0);
        } else {
            if (kind == QLatin1String("xmlshuffled"))
                std::reverse(data.begin(), data.end());
            ZQExportParser parser;
            parser.parse(exportXml(kInstrument, {kSource}, data));
            QVERIFY(parser.isValid());
            QCOMPARE(manager.startXmlImport(5, parser.takeAgDataList(kSource), 2), 0);
        }
        QVERIFY(manager.isImporting());
        auto store = freshStore(kInstrument, QStringLiteral("Main_i"));
        QVERIFY(runImport(manager, store.get()));
        QVERIFY2(manager.isCompleted(), qPrintable(manager.getMessage()));
        QCOMPARE(manager.getProgressValue(), manager.getProgressTotal());
        QCOMPARE(manager.getProgressTotal(), qint64(2499 * 100));
        store->close();
        const QString imported = getAgDbFilePath(kInstrument, QStringLiteral("Main_i"));
        if (kind == QLatin1String("kivnan")) {
            // Read back as no value, not as -999: the reduced rows are those of logging.
            for (const char *table : {"AgDataZoomLevel0", "AgDataZoomLevel1", "AgDataZoomLevel8"})
                QCOMPARE(sampleRows(imported, table), sampleRows(path, table));
        } else {
            QCOMPARE(sampleRows(imported), rowsOf(data));
        }
        if (kind.startsWith(QLatin1String("kiv")))
            QCOMPARE(eventRows(imported), eventRows(path));
        else {
            // The program events the store derives from the samples, as when logging them.
            const QString logged = file(QStringLiteral("logged.db"));
            QVERIFY(writeKivDb(logged, kInstrument, kSource, data));
            QCOMPARE(eventRows(imported), eventRows(logged));
            QVERIFY(eventRows(imported).size() >= 4);
        }
        // A second import into the same audiogroup is refused, also after the end.
        QCOMPARE(manager.startImport(6, 0, path), -1);
    }

    void importFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("own database without samples") << "kivempty" << "Invalid import data";
        QTest::newRow("missing file") << "missing" << "Could not read source DB";
        QTest::newRow("not a database") << "garbage" << "Could not read source DB";
        QTest::newRow("empty file") << "emptyfile" << "Could not read source DB";
        QTest::newRow("meter 1.1 with REAL timecodes") << "zq11real" << "Source data read error";
        QTest::newRow("meter database, NULL timecode") << "zqnull" << "Source data read error";
        // What came before the refused row's 30 s stays imported.
        QTest::newRow("meter database, NULL timecode after 100 s")
            << "zqnulllater" << "Source data read error";
        QTest::newRow("no sample list for the audiogroup") << "xmlnull"
                                                           << "Could not read source DB";
        QTest::newRow("sample list without samples") << "xmlempty" << "Invalid import data";
        QTest::newRow("no sample list for the audiogroup in the file")
            << "xmlfilenull"
            << "Could not read source DB";
        QTest::newRow("sample list without samples in the file") << "xmlfileempty"
                                                                 << "Invalid import data";
        QTest::newRow("unknown source type") << "type" << "Unknown source type";
    }
    void importFailures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = file(QStringLiteral("source.db"));
        const std::vector<AgData> data = samples(kT0, 400);
        DBImportManager manager;
        int started = 0;
        if (kind == QLatin1String("kivempty")) {
            QVERIFY(writeKivDb(path, kInstrument, kSource, {}));
            started = manager.startImport(1, 0, path);
        } else if (kind == QLatin1String("missing")) {
            started = manager.startImport(1, 0, path);
        } else if (kind == QLatin1String("garbage")) {
            QVERIFY(writeFile(path, QByteArray(5000, 'x')));
            started = manager.startImport(1, 0, path);
        } else if (kind == QLatin1String("emptyfile")) {
            QVERIFY(writeFile(path, QByteArray()));
            started = manager.startImport(1, 1, path);
        } else if (kind == QLatin1String("zq11real")) {
            QVERIFY(writeMeterDb(path, MeterVersion::V11, true, kInstrument, {kSource}, data));
            started = manager.startImport(1, 1, path);
        } else if (kind == QLatin1String("zqnull")) {
            QVERIFY(writeMeterDb(path, MeterVersion::V10, false, kInstrument, {kSource}, data));
            sqlite3Exec(path, "UPDATE Loudness SET timecode = NULL WHERE timestamp = 1700000000300;");
            started = manager.startImport(1, 1, path);
        } else if (kind == QLatin1String("zqnulllater")) {
            QVERIFY(writeMeterDb(path, MeterVersion::V11, false, kInstrument, {kSource},
                                 samples(kT0, 4000)));
            sqlite3Exec(path,
                        "UPDATE Loudness SET timecode = NULL WHERE timestamp = 1700000100000;");
            started = manager.startImport(1, 1, path);
        } else if (kind == QLatin1String("xmlnull")) {
            started = manager.startXmlImport(1, nullptr, 2);
        } else if (kind == QLatin1String("xmlempty")) {
            started = manager.startXmlImport(1, new AgDataVector(kSource, 0), 2);
        } else if (kind.startsWith(QLatin1String("xmlfile"))) {
            QVERIFY(writeFile(path, exportXml(kInstrument, {kSource}, {}).toUtf8()));
            QFile xml(path);
            QVERIFY(xml.open(QIODevice::ReadOnly));
            ZQExportParser parser;
            parser.parseFile(&xml);
            XmlSampleList list = parser.getSampleList(
                kind == QLatin1String("xmlfilenull") ? QStringLiteral("Other") : kSource);
            list.filePath = path;
            started = manager.startXmlStreamImport(1, list, 2);
        } else {
            QCOMPARE(manager.startImport(1, 2, path), -1);
            QVERIFY(manager.hasFailed());
            QCOMPARE(manager.getMessage(), message);
            return;
        }
        QCOMPARE(started, 0);
        auto store = freshStore(kInstrument, QStringLiteral("Main_i"));
        QVERIFY(runImport(manager, store.get()));
        QVERIFY(manager.hasFailed());
        QCOMPARE(manager.getMessage(), message);
        QCOMPARE(manager.getRequestId(), 1);
        if (kind == QLatin1String("missing"))
            QVERIFY(!QFileInfo::exists(path));
        int err = -7;
        if (kind == QLatin1String("zqnulllater"))
            QCOMPARE(store->getMaxTimestamp(0, &err), kT0 + 89900);
    }

    void meterTimecodes_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qint64>("timecode");
        QTest::newRow("5.0 in 1.0") << QVariant(5.0) << "1.0" << true << qint64(4);
        QTest::newRow("6.0 in 1.0") << QVariant(6.0) << "1.0" << true << qint64(6);
        QTest::newRow("-5.0 in 1.0") << QVariant(-5.0) << "1.0" << true << qint64(-4);
        QTest::newRow("6.0 in 1.1") << QVariant(6.0) << "1.1" << false << qint64(0);
        QTest::newRow("integer in 1.1") << QVariant(qlonglong(123456789012)) << "1.1" << true
                                        << qint64(123456789012);
        QTest::newRow("text") << QVariant(QStringLiteral("12")) << "1.0" << false << qint64(0);
        QTest::newRow("null") << QVariant() << "1.0" << false << qint64(0);
        QTest::newRow("NaN") << QVariant(std::nan("")) << "1.0" << false << qint64(0);
    }
    void meterTimecodes()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, version);
        QFETCH(bool, accepted);
        QFETCH(qint64, timecode);
        const DbVersion fileVersion =
            version == QLatin1String("1.0") ? DbVersion(1, 0) : DbVersion(1, 1);
        qint64 out = 0;
        QCOMPARE(SQLiteZQDBImportSource::convertTimecode(value, fileVersion, &out), accepted);
        if (accepted)
            QCOMPARE(out, timecode);
    }

    void meterFileVersion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::newRow("1.1") << "1.1" << 1u << 1u;
        QTest::newRow("2.10") << "2.10" << 2u << 10u;
        QTest::newRow("three parts") << "1.1.0" << 1u << 0u;
        QTest::newRow("not a number") << "1.x" << 1u << 0u;
        QTest::newRow("no table") << "" << 1u << 0u;
    }
    void meterFileVersion()
    {
        QFETCH(QString, text);
        QFETCH(uint, major);
        QFETCH(uint, minor);
        const QString path = file(QStringLiteral("meter.db"));
        QVERIFY(writeMeterDb(path, MeterVersion::None, false, kInstrument, {kSource},
                             samples(kT0, 10)));
        if (!text.isEmpty())
            sqlite3Exec(path, QStringLiteral("CREATE TABLE Version (dbVersion TEXT); INSERT INTO "
                                             "Version VALUES ('%1');")
                                  .arg(text));
        SQLiteZQDBImportSource source(path);
        QCOMPARE(source.openSource(), 0);
        QCOMPARE(source.getFileVersion().getMajor(), major);
        QCOMPARE(source.getFileVersion().getMinor(), minor);
    }

    void exportParser_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("samples");
        const QString whole = exportXml(kInstrument, {kSource}, samples(kT0, 20));
        QTest::newRow("whole file") << whole << true << 20;
        QTest::newRow("truncated") << whole.left(whole.size() / 2) << false << -1;
        QTest::newRow("cut inside a tag name")
            << whole.left(whole.lastIndexOf(QStringLiteral("<TPMax>")) + 4) << false << -1;
        QTest::newRow("empty instrument name")
            << exportXml(QString(), {kSource}, samples(kT0, 3)) << false << -1;
        QTest::newRow("no audiogroup") << exportXml(kInstrument, {}, {}) << false << -1;
        QString nested = whole;
        nested.replace(QStringLiteral("</LoudnessMeasurement>"), QString());
        nested.replace(QStringLiteral("</export>"), QStringLiteral("</LoudnessMeasurement></export>"));
        QTest::newRow("sample list inside the configuration") << nested << true << -1;
        QTest::newRow("not XML") << QStringLiteral("PK\x03\x04 zip") << false << -1;
    }
    void exportParser()
    {
        QFETCH(QString, xml);
        QFETCH(bool, valid);
        QFETCH(int, samples);
        ZQExportParser parser;
        parser.parse(xml);
        QCOMPARE(parser.isValid(), valid);
        // Read as a stream, the file gets the same verdict and the same reason.
        QByteArray bytes = xml.toUtf8();
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        ZQExportParser streamed;
        streamed.parseFile(&buffer);
        QCOMPARE(streamed.isValid(), valid);
        QCOMPARE(streamed.getErrorText(), parser.getErrorText());
        if (!valid)
            return;
        std::unique_ptr<AgDataVector> list(parser.takeAgDataList(kSource));
        QCOMPARE(list ? list->size() : -1, samples);
        const XmlSampleList where = streamed.getSampleList(kSource);
        QCOMPARE(where.listStart < 0 ? -1 : int(where.count), samples);
    }

    void exportWritesALevelZeroFileThatImportsBack_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("new file") << false;
        QTest::newRow("replacing a file") << true;
    }
    void exportWritesALevelZeroFileThatImportsBack()
    {
        QFETCH(bool, replace);
        const std::vector<AgData> data = samples(kT0, 3000, 100, 1000);
        const QString original = file(QStringLiteral("original.db"));
        QVERIFY(writeKivDb(original, kInstrument, kSource, data));
        // The audiogroup's own store, back in the data folder.
        QVERIFY(QFile::rename(original, getAgDbFilePath(kInstrument, kSource)));
        AAgDataModel source;
        InstrumentConfig ic(kInstrument);
        ic.setAgConfig(AgConfig(kSource));
        QCOMPARE(source.init(0, ic, AgConfig(kSource), false, QString()), 0);

        const QString target = file(QStringLiteral("export.db"));
        if (replace)
            QVERIFY(writeFile(target, QByteArray("an older file")));
        DBExportManager manager;
        int err = 0;
        QCOMPARE(manager.startExport(ic, AgConfig(kSource), source.getMinTimestamp(0, &err),
                                     source.getMaxTimestamp(0, &err), target),
                 0);
        QCOMPARE(manager.startExport(ic, AgConfig(kSource), 1, 2, target), -1);
        QVERIFY(runExport(manager, &source));
        QVERIFY2(manager.isCompleted(), qPrintable(manager.getMessage()));
        QCOMPARE(manager.getMessage(), QStringLiteral("Export operation completed successfully"));
        manager.reset();
        QCOMPARE(tables(target), (QStringList{"AgDataZoomLevel0", "Version", "config", "events"}));
        const QString stored = getAgDbFilePath(kInstrument, kSource);
        QCOMPARE(sampleRows(target), sampleRows(stored));
        QCOMPARE(eventRows(target), eventRows(stored));

        // And back in, through the own-database source.
        DBImportManager importer;
        QCOMPARE(importer.startImport(3, 0, target), 0);
        auto back = freshStore(kInstrument, QStringLiteral("Main_i"));
        QVERIFY(runImport(importer, back.get()));
        QVERIFY2(importer.isCompleted(), qPrintable(importer.getMessage()));
        back->close();
        const QString imported = getAgDbFilePath(kInstrument, QStringLiteral("Main_i"));
        QCOMPARE(sampleRows(imported), rowsOf(data));
        QCOMPARE(eventRows(imported), eventRows(stored));
        source.close();
    }

    void exportEndsWithoutAPartialFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("completed");
        QTest::newRow("cancel during the copy") << "cancel" << QString() << true;
        QTest::newRow("the store cannot be read")
            << "nosource" << "Export operation was failed because: \"Export operation failed\""
            << false;
        QTest::newRow("no samples") << "empty"
                                    << "Could not perform export because invalid export data"
                                    << false;
    }
    void exportEndsWithoutAPartialFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(bool, completed);
        const QString original = file(QStringLiteral("original.db"));
        QVERIFY(writeKivDb(original, kInstrument, kSource, samples(kT0, 3000)));
        QVERIFY(QFile::rename(original, getAgDbFilePath(kInstrument, kSource)));
        AAgDataModel source;
        InstrumentConfig ic(kInstrument);
        QCOMPARE(source.init(0, ic, AgConfig(kSource), false, QString()), 0);
        const QString target = file(QStringLiteral("export.db"));
        DBExportManager manager;
        const qint64 from = kind == QLatin1String("empty") ? 0 : kT0;
        QCOMPARE(manager.startExport(ic, AgConfig(kSource), from, kT0 + 299900, target), 0);
        AAgDataModel *read = kind == QLatin1String("nosource") ? nullptr : &source;
        if (kind == QLatin1String("cancel")) {
            for (int i = 0; i < 5; ++i)
                manager.process(0, read);
            QVERIFY(QFileInfo::exists(target));
            QVERIFY(manager.getProgressValue() > 0);
            QCOMPARE(manager.cancel(), 0);
        }
        QVERIFY(runExport(manager, read));
        QCOMPARE(manager.isCompleted(), completed);
        QCOMPARE(manager.getMessage(), message);
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(!QFileInfo::exists(target + QStringLiteral("-wal")));
        source.close();
    }

    void exportRefusesTheDataFolderTree_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("in the data folder") << "Studio_Main.db";
        QTest::newRow("in a subfolder") << "log_backup/copy.db";
        QTest::newRow("through a link to the data folder") << "@link/Studio_Main.db";
    }
    // Whatever the window checked, the export never replaces a file of the data folder.
    void exportRefusesTheDataFolderTree()
    {
        QFETCH(QString, relative);
        createDataFolder();
        QDir().mkpath(getLogBackupFolderPath());
        QString target;
        QString real;
        if (relative.startsWith(QLatin1Char('@'))) {
            QVERIFY(QFile::link(getDataFolderPath(), file(QStringLiteral("link"))));
            target = file(relative.mid(1));
            real = getDataFolderFilePath(relative.mid(6));
        } else {
            target = getDataFolderFilePath(relative);
            real = target;
        }
        QVERIFY(writeFile(real, QByteArray("a live file")));
        DBExportManager manager;
        QCOMPARE(manager.startExport(InstrumentConfig(kInstrument), AgConfig(kSource), kT0,
                                     kT0 + 1000, target),
                 0);
        QVERIFY(runExport(manager, nullptr));
        QVERIFY(manager.hasFailed());
        QCOMPARE(manager.getMessage(),
                 QStringLiteral("Export operation is not allowed to KIV's data folder. Please try "
                                "again and select a different target folder."));
        QFile kept(real);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("a live file"));
    }

private:
    static void sqlite3Exec(const QString &path, const QString &sql);
};

#include <sqlite3.h>

void TestImportExport::sqlite3Exec(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

KIV_TEST_MAIN(TestImportExport, QCoreApplication)
#include "tst_importexport.moc"
