<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QObject</name>
    <message><source>Coverage check: regions read fewer than 20 times</source><translation>Abdeckungsprüfung: Bereiche mit weniger als 20 Lesungen</translation></message>
    <message><source>Region</source><translation>Bereich</translation></message>
    <message><source>Length</source><translation>Länge</translation></message>
    <message><source>Lowest depth</source><translation>Geringste Tiefe</translation></message>
    <message><source>Mean depth</source><translation>Mittlere Tiefe</translation></message>
    <message><source>Status</source><translation>Status</translation></message>
    <message><source>not covered</source><translation>nicht abgedeckt</translation></message>
    <message><source>below 20x</source><translation>unter 20x</translation></message>
</context>
</TS>
