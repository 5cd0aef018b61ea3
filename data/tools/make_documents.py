#!/usr/bin/env python3
"""Writes the starter library data/dreams.ini and the example journal
data/journals/example.xml in exactly the layout the program's XML writer
produces (Windows-1251, CR LF lines, two blanks per level, " />" for empty
elements), so that loading and saving them changes no byte.

Run from anywhere: python3 data/tools/make_documents.py
The output is committed; run again only after changing the content below.
"""
import os
import re

DATA = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DECLARATION = '<?xml version="1.0" encoding="UTF-8" language="EN" standalone="yes"?>'
JOURNAL_DOCTYPE = '<!DOCTYPE vel_mora SYSTEM "../vel_mora.dtd">'


def empty(name, /, **attrs):
    return (name, list(attrs.items()), None)


def element(name, children, /, **attrs):
    return (name, list(attrs.items()), children)


def text_element(name, text):
    # The writer collapses blanks and the reader joins lines, so store one clean line.
    assert text == re.sub(r'\s+', ' ', text).strip() and '<' not in text, text
    return (name, [], text)


def write_node(node, level, lines):
    name, attrs, body = node
    tag = '  ' * level + '<' + name
    for key, value in attrs:
        assert '"' not in value and '>' not in value, value
        tag += ' %s="%s"' % (key, value)
    if body is None:
        lines.append(tag + ' />')
    elif isinstance(body, str):
        lines.append(tag + '>' + body + '</' + name + '>')
    else:
        lines.append(tag + '>')
        for child in body:
            write_node(child, level + 1, lines)
        lines.append('  ' * level + '</' + name + '>')


def save(path, doctype, root):
    lines = [DECLARATION, doctype, '']
    write_node(root, 0, lines)
    data = ''.join(line + '\r\n' for line in lines).encode('cp1251')
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def library():
    icons = [('selected', 'Selected'), ('library', 'Dream Library'), ('catalog', 'Dream Directory'),
             ('journal', 'Dream File'), ('day', 'One Night'), ('dream', 'One Dream')]
    labels = ['Осознанное сновидение', 'Астральная проекция', 'Выход из тела', 'Другой опыт']
    return element('dreamlibrary', [
        *(empty('icon', path='icons/%s.bmp' % f, name=n) for f, n in icons),
        *(empty('label', caption=c) for c in labels),
        empty('options', confirmdelete='yes'),
        element('directory', [
            empty('file', name='Пример дневника', path='journals/example.xml', default='yes'),
        ], name='Примеры'),
        # Where the window opens centred on a 1280 x 800 screen; the program rewrites it at exit.
        empty('form', left='308', top='160', width='663', height='480', treewidth='200'),
    ], name='Мои сны')


# (day, day comment or None, [(title, labels 1-4, energy level, description, image, comment)])
NIGHTS = [
    ('01.12.26', None, [
        ('Полёт над городом', 'TFFF', 30,
         'Я стоял на крыше старого дома и вдруг понял, что сплю. Оттолкнулся от края и поднялся '
         'над улицами. Город внизу светился редкими окнами, а луна была огромной и совсем близкой. '
         'Ветер держал меня, как вода держит пловца, и я летел, пока не увидел реку.',
         'pictures/flight.bmp', 'Проснулся в пять утра с чувством лёгкости во всём теле.'),
        ('Поезд без машиниста', 'FFFT', 120,
         'Я ехал в пустом вагоне ночного поезда. Станции мелькали за окном, но названия на '
         'табличках всё время менялись. Когда я дошёл до кабины, там никого не было, а поезд '
         'уверенно шёл дальше. Было тревожно, но не страшно.', None, None),
    ]),
    ('03.12.26', 'Накануне поздно лёг и долго читал. Сны яркие, но короткие.', [
        ('Библиотека с бесконечными полками', 'TFFT', 60,
         'Огромный зал, полки уходят вверх так высоко, что теряются в тумане. Я искал книгу со '
         'своим именем на корешке и нашёл её на самой нижней полке. Страницы были пустыми, но '
         'стоило на них посмотреть, как проступали строки. Прочитать удалось только первую фразу, '
         'и её я забыл при пробуждении.', None, None),
    ]),
    ('05.12.26', None, [
        ('Море под окном', 'FFFF', 90,
         'За окном моей комнаты вместо двора оказалось море. Волны подходили к самому '
         'подоконнику, и в воде плавали светящиеся рыбы. Я протянул руку, вода была тёплой. '
         'Потом пришла бабушка и сказала, что пора пить чай.', None, None),
        ('Взгляд с потолка', 'FFTF', 20,
         'Мне показалось, что я проснулся, и я увидел себя спящим на кровати. Комната была видна '
         'сверху, из угла под потолком, и всё в ней было немного сдвинуто: часы шли назад, шторы '
         'были другого цвета. Стоило испугаться, и меня мягко потянуло обратно в тело.', None, None),
        ('Экзамен по незнакомому предмету', 'FFFF', 170,
         'Снова школа и экзамен, к которому я не готовился. Билет был написан на языке, которого '
         'я не знаю, а учитель требовал ответа немедленно. Я пытался выйти из класса, но все двери '
         'вели в тот же класс.', None, None),
    ]),
    ('06.12.26', None, [
        ('Звёздная дорога', 'TTFF', 0,
         'Я лежал с закрытыми глазами и почувствовал вибрации по всему телу. Потом меня будто '
         'вынесло вверх, сквозь крышу, и я оказался на дороге из звёзд. По ней шли люди в светлой '
         'одежде и не обращали на меня внимания. Я шёл с ними, пока не услышал будильник.',
         None, None),
        ('Разговор с котом', 'FFFT', 100,
         'Мой кот сидел на столе и спокойно рассказывал, где он бывает по ночам. Говорил он тихо и '
         'очень серьёзно. Под конец он попросил не переставлять его миску и ушёл сквозь стену.',
         None, None),
    ]),
]


def journal():
    days, number = [], 0
    for day_name, day_comment, dreams in NIGHTS:
        experiences = []
        for title, labels, level, description, image, comment in dreams:
            number += 1
            flags = {'label%d' % (i + 1): 'true' if f == 'T' else 'false' for i, f in enumerate(labels)}
            children = [text_element('description', description),
                        empty('properties', **flags),
                        empty('energy', level=str(level))]
            if image:
                children.append(empty('image', path=image))
            if comment:
                children.append(text_element('comment', comment))
            experiences.append(element('experience', children, number='%03d' % number,
                                       title=title, readonly='false'))
        if day_comment:
            experiences.append(text_element('comment', day_comment))
        days.append(element('day', experiences, name=day_name))
    return element('velmora', days)


def main():
    save(os.path.join(DATA, 'dreams.ini'), '', library())
    save(os.path.join(DATA, 'journals', 'example.xml'), JOURNAL_DOCTYPE, journal())


if __name__ == '__main__':
    main()
