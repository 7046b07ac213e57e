<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>echobatch</name>
    <message numerus="yes">
        <source>the output is shorter than the input: %1 of %2 (%3 of %4 samples)</source>
        <translation>
            <numerusform>the output is shorter than the input: %1 of %2 (%3 of %4 sample)</numerusform>
            <numerusform>the output is shorter than the input: %1 of %2 (%3 of %4 samples)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 samples clipped; lower Gain-Out or Decay</source>
        <translation>
            <numerusform>%1 sample clipped; lower Gain-Out or Decay</numerusform>
            <numerusform>%1 samples clipped; lower Gain-Out or Decay</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) not added: their names are not valid UTF-8, so they cannot be named exactly. Rename them to add them:</source>
        <translation>
            <numerusform>%n file not added: its name is not valid UTF-8, so it cannot be named exactly. Rename it to add it:</numerusform>
            <numerusform>%n files not added: their names are not valid UTF-8, so they cannot be named exactly. Rename them to add them:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

%1 of %n files failed:</source>
        <translation>
            <numerusform>

%1 of %n file failed:</numerusform>
            <numerusform>

%1 of %n files failed:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

%1 of %n files converted with a warning:</source>
        <translation>
            <numerusform>

%1 of %n file converted with a warning:</numerusform>
            <numerusform>

%1 of %n files converted with a warning:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

Stopped: %1 of %n files were not converted.</source>
        <translation>
            <numerusform>

Stopped: %1 of %n file was not converted.</numerusform>
            <numerusform>

Stopped: %1 of %n files were not converted.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files share their name with another file of the list. Keep the album folders below the output folder?</source>
        <translation>
            <numerusform>%n file shares its name with another file of the list. Keep the album folders below the output folder?</numerusform>
            <numerusform>%n files share their name with another file of the list. Keep the album folders below the output folder?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: removed %n temporary file(s) left by a run that was ended
</source>
        <translation>
            <numerusform>echobatch-cli: removed %n temporary file left by a run that was ended
</numerusform>
            <numerusform>echobatch-cli: removed %n temporary files left by a run that was ended
</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files converted</source>
        <translation>
            <numerusform>%1 of %n file converted</numerusform>
            <numerusform>%1 of %n files converted</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n replaced an existing file</source>
        <translation>
            <numerusform>, %n replaced an existing file</numerusform>
            <numerusform>, %n replaced existing files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n up to date</source>
        <translation>
            <numerusform>, %n up to date</numerusform>
            <numerusform>, %n up to date</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> (album ReplayGain updated in %n files)</source>
        <translation>
            <numerusform> (album ReplayGain updated in %n file)</numerusform>
            <numerusform> (album ReplayGain updated in %n files)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files converted with a warning:</source>
        <translation>
            <numerusform>echobatch-cli: %1 of %n file converted with a warning:</numerusform>
            <numerusform>echobatch-cli: %1 of %n files converted with a warning:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files failed:</source>
        <translation>
            <numerusform>echobatch-cli: %1 of %n file failed:</numerusform>
            <numerusform>echobatch-cli: %1 of %n files failed:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>[%1] %n/%2 done, %3 running</source>
        <translation>
            <numerusform>[%1] %n/%2 done, %3 running</numerusform>
            <numerusform>[%1] %n/%2 done, %3 running</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> and %n more</numerusform>
            <numerusform> and %n more</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files up to date with a warning:</source>
        <translation>
            <numerusform>echobatch-cli: %1 of %n file up to date with a warning:</numerusform>
            <numerusform>echobatch-cli: %1 of %n files up to date with a warning:</numerusform>
        </translation>
    </message>
</context>
</TS>
